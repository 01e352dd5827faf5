#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QThread>

#include "speech/SpeechMailbox.h"
#include "speech/SpeechReader.h"

namespace zandrel {

// Read-aloud as the UI thread sees it: leaves lines, settings and the pause for the reader on the
// speech thread in a mailbox, wakes it with at most one queued call at a time, and hears back its
// engine's state by queued signals. UI thread.
//
// An engine stuck inside a call (a speech server stopped) holds the speech thread, never the UI
// thread: what waits for the reader stays bounded (CSpeechMailbox), and the stop waits for the
// thread at most kStopWaitMs, then leaves it to the process's end. The thread touches nothing of
// this object's after that: the mailbox is shared and the reader's signals go with this object.
class CReadAloud : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned long kStopWaitMs = 300;

    explicit CReadAloud(CSpeechReader::EngineFactory makeEngine = CreateSystemSpeechEngine);
    ~CReadAloud() override;

    void Configure(const SpeechSettings& settings);
    void Speak(std::vector<SpeechItem> items);
    void SetPaused(bool paused);
    bool IsPaused() const { return m_paused; }
    // Drops what waits to be read.
    void Clear();
    // Whether the engine has said whether it can speak.
    bool IsStarted() const { return m_started; }
    // Empty while the engine speaks or before it has started.
    const QString& Problem() const { return m_problem; }
    const SpeechVoices& Voices() const { return m_voices; }
    // The engine stopped working and is being made again.
    bool IsReconnecting() const { return m_reconnecting; }
    double WorstBacklog() const { return m_worst; }
    qulonglong Dropped() const { return m_dropped + m_mailbox->Dropped(); }

    // For tests: what waits for the reader, and the calls on their way to it.
    const CSpeechMailbox& Mailbox() const { return *m_mailbox; }
    int CallsInFlight() const { return m_callsInFlight->load(); }
    // For tests: speech threads that did not end within the stop's wait, since the program began.
    static std::size_t ThreadsLeftBehind();

signals:
    void engineStatus(const QString& problem, const SpeechVoices& voices);
    // The engine stopped working (`problem` says how) and is being made again.
    void engineLost(const QString& problem);
    // An engine made again speaks.
    void engineBack();

private:
    // Queues `call` to the reader on the speech thread; it runs there unless the reader is gone.
    void PostToReader(std::function<void(CSpeechReader&)> call);
    void WakeReader(bool wake);

    std::shared_ptr<CSpeechMailbox> m_mailbox = std::make_shared<CSpeechMailbox>();
    // Counted here and on the speech thread, which may outlive this object.
    std::shared_ptr<std::atomic<int>> m_callsInFlight = std::make_shared<std::atomic<int>>(0);
    // The speech thread. Left running (and never freed) if it does not end within the stop's wait:
    // a thread object destroyed while its thread runs would end the program.
    QThread* m_thread;
    CSpeechReader* m_reader;  // lives on m_thread; deleted there when it ends
    bool m_paused = false;
    bool m_started = false;
    bool m_reconnecting = false;
    QString m_problem;
    SpeechVoices m_voices;
    double m_worst = 0;
    qulonglong m_dropped = 0;
};

}  // namespace zandrel
