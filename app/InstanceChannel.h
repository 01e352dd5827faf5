#pragma once

#include <functional>

#include <QLocalServer>
#include <QObject>
#include <QString>

#include "app/InstanceCommand.h"

namespace zandrel {

// The way from another start of the program to the one that runs: a local socket that only this
// user can reach.

// Another start: sends `command` and waits for the answer, blocking, at most `timeoutMs`. Needs no
// event loop and no display.
enum class SendResult { Done, NotRunning, Failed };
SendResult SendToRunningInstance(const QString& socketPath, const InstanceCommand& command, QString& answer,
                                 int timeoutMs = 3000);

// The running instance: takes one command a connection and answers it. UI thread.
class CInstanceServer : public QObject {
    Q_OBJECT
public:
    // Carries out a command; gives the answer line ("ok", or "error: why").
    using Handler = std::function<QString(const InstanceCommand&)>;

    explicit CInstanceServer(Handler handler, QObject* parent = nullptr);

    // Listens at `socketPath`. A socket left by a program that has died is taken over; false when a
    // running instance answers there, or the socket cannot be made.
    bool Listen(const QString& socketPath);
    bool IsListening() const { return m_server.isListening(); }

private:
    void OnConnection();

    Handler m_handler;
    QLocalServer m_server;
};

}  // namespace zandrel
