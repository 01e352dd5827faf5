#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QObject>

#include "speech/SpeakingTime.h"
#include "speech/SpeechEngine.h"
#include "speech/SpeechMailbox.h"
#include "speech/SpeechQueue.h"
#include "speech/SpeechSettings.h"

class QTimer;

namespace zandrel {

// The reader: the queue and the engine, on the speech thread. The UI thread (CReadAloud) leaves
// what it has in the mailbox and wakes the reader; the engine is made here, so that whatever it
// waits for while it starts (a speech server spawning) holds neither the UI thread nor the session.
//
// An engine that stops working after it has started well (its speech server killed) is lost: it is
// told once (engineLost) and made again after 1 s, then after twice the wait each time a new one
// does not start, up to 30 s; once one speaks, that is told once too (engineBack). Meanwhile the
// lines that come wait as ever, bounded by the backlog, the line the engine failed on first.
class CSpeechReader : public QObject {
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<ISpeechEngine>()>;
    static constexpr std::chrono::milliseconds kFirstRemakeDelay{1000};
    static constexpr std::chrono::milliseconds kMaxRemakeDelay{30000};

    // `mailbox`: where the UI thread leaves calls for ReadMail; none where a test calls directly.
    explicit CSpeechReader(EngineFactory makeEngine, std::shared_ptr<CSpeechMailbox> mailbox = nullptr);
    ~CSpeechReader() override;

    void Start();
    // Applies everything the mailbox holds, in its order.
    void ReadMail();
    void Configure(const SpeechSettings& settings);
    void Speak(const std::vector<SpeechItem>& items);
    void SetPaused(bool paused);
    // Drops what waits to be read.
    void Clear() { m_queue.Clear(); }
    const CSpeechQueue& Queue() const { return m_queue; }
    const CSpeakingTime& SpeakingTime() const { return m_time; }
    // The engine was lost and is being made again.
    bool IsReconnecting() const { return m_lost; }
    // The wait before the next attempt to make the engine again.
    std::chrono::milliseconds RemakeDelay() const { return m_remakeDelay; }
    // For tests: shorter waits between attempts.
    void SetRemakeDelays(std::chrono::milliseconds first, std::chrono::milliseconds most);
    // For tests: the clock, in seconds, that times what the engine says.
    void SetClock(std::function<double()> now) { m_now = std::move(now); }

signals:
    // The engine's problem (empty when it speaks) and its voices, once it has started.
    void engineStatus(const QString& problem, const SpeechVoices& voices);
    // The engine that spoke stopped working (`problem` says how); another is being made.
    void engineLost(const QString& problem);
    // An engine made again speaks.
    void engineBack();
    // The spoken backlog now and at its worst, in seconds, and how many lines were dropped.
    void backlog(double seconds, double worst, qulonglong dropped);

private:
    void MakeEngine();
    void DropEngine();
    bool TakesLines() const;
    void Lost(const QString& problem);
    void Remake();
    void Next();
    void Done(bool whole);
    void Learned();

    EngineFactory m_makeEngine;
    std::shared_ptr<CSpeechMailbox> m_mailbox;
    std::unique_ptr<ISpeechEngine> m_engine;
    bool m_engineStarted = false;  // m_engine started well: a problem later means it was lost
    bool m_lost = false;
    std::optional<SpeechSettings> m_settings;  // the last ones, for an engine made again
    QTimer* m_remakeTimer;                     // a child: it moves to the speech thread with the reader
    std::chrono::milliseconds m_firstRemakeDelay = kFirstRemakeDelay;
    std::chrono::milliseconds m_maxRemakeDelay = kMaxRemakeDelay;
    std::chrono::milliseconds m_remakeDelay = kFirstRemakeDelay;
    CSpeechQueue m_queue{SpeechSettings::kDefaultMaxBacklogSeconds};
    CSpeakingTime m_time;
    std::function<double()> m_now;
    std::optional<SpeechItem> m_current;  // the line the engine reads
    double m_startedAt = 0;               // and when it began
    bool m_paused = false;
    bool m_cutShort = false;  // the line being read was stopped: its time says nothing
};

}  // namespace zandrel
