#include "app/InstanceChannel.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>

namespace zandrel {
namespace {

// A command line is short; a peer that sends more is not this program.
constexpr qint64 kMaxLine = 256;

}  // namespace

SendResult SendToRunningInstance(const QString& socketPath, const InstanceCommand& command, QString& answer,
                                 int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return SendResult::NotRunning;
    socket.write((FormatInstanceCommand(command) + QLatin1Char('\n')).toUtf8());
    if (!socket.waitForBytesWritten(timeoutMs))
        return SendResult::Failed;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return SendResult::Failed;
    }
    answer = QString::fromUtf8(socket.readLine(kMaxLine)).trimmed();
    return SendResult::Done;
}

CInstanceServer::CInstanceServer(Handler handler, QObject* parent) : QObject(parent), m_handler(std::move(handler))
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &CInstanceServer::OnConnection);
}

bool CInstanceServer::Listen(const QString& socketPath)
{
    QDir().mkpath(QFileInfo(socketPath).absolutePath());
    // A running instance answers there; a socket that nobody answers was left by one that died.
    QLocalSocket probe;
    probe.connectToServer(socketPath);
    if (probe.waitForConnected(1000))
        return false;
    return m_server.listen(socketPath);  // over what a dead one left, which Qt replaces
}

void CInstanceServer::OnConnection()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kMaxLine)
                    socket->abort();
                return;
            }
            const QString line = QString::fromUtf8(socket->readLine(kMaxLine));
            const std::optional<InstanceCommand> command = ParseInstanceCommand(line);
            const QString answer = command ? m_handler(*command) : QStringLiteral("error: not a command");
            socket->write((answer + QLatin1Char('\n')).toUtf8());
            socket->disconnectFromServer();
        });
    }
}

}  // namespace zandrel
