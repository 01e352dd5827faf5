#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QThread>

#include "speech/SpeakingTime.h"
#include "speech/SpeechEngine.h"
#include "speech/SpeechQueue.h"
#include "speech/SpeechSettings.h"

namespace zandrel {

// The reader: the queue and the engine, on the speech thread. Each call comes queued from the
// UI thread (CReadAloud); the engine is made here, so that whatever it waits for while it starts
// (a speech server spawning) holds neither the UI thread nor the session.
class CSpeechReader : public QObject {
    Q_OBJECT
public:
    using EngineFactory = std::function<std::unique_ptr<ISpeechEngine>()>;
    explicit CSpeechReader(EngineFactory makeEngine);
    ~CSpeechReader() override;

    void Start();
    void Configure(const SpeechSettings& settings);
    void Speak(const std::vector<SpeechItem>& items);
    void SetPaused(bool paused);
    // Drops what waits to be read.
    void Clear() { m_queue.Clear(); }
    const CSpeechQueue& Queue() const { return m_queue; }
    const CSpeakingTime& SpeakingTime() const { return m_time; }
    // For tests: the clock, in seconds, that times what the engine says.
    void SetClock(std::function<double()> now) { m_now = std::move(now); }

signals:
    // The engine's problem (empty when it speaks) and its voices.
    void engineStatus(const QString& problem, const SpeechVoices& voices);
    // The spoken backlog now and at its worst, in seconds, and how many lines were dropped.
    void backlog(double seconds, double worst, qulonglong dropped);

private:
    void Next();
    void Done();

    EngineFactory m_makeEngine;
    std::unique_ptr<ISpeechEngine> m_engine;
    CSpeechQueue m_queue{SpeechSettings::kDefaultMaxBacklogSeconds};
    CSpeakingTime m_time;
    std::function<double()> m_now;
    double m_startedAt = 0;         // when the engine began the line it reads
    qsizetype m_startedLength = 0;  // and how long that line is
    bool m_paused = false;
    bool m_speaking = false;
    bool m_cutShort = false;  // the line being read was stopped: its time says nothing
};

// Read-aloud as the UI thread sees it: hands lines to the reader on the speech thread and hears
// back its engine's state. Stopping waits a bounded time for the thread. UI thread.
class CReadAloud : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned long kStopWaitMs = 3000;

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
    double WorstBacklog() const { return m_worst; }
    qulonglong Dropped() const { return m_dropped; }

signals:
    void engineStatus(const QString& problem, const SpeechVoices& voices);

private:
    // The speech thread. Left running (and never freed) if it does not end within the stop's wait:
    // a thread object destroyed while its thread runs would end the program.
    QThread* m_thread;
    CSpeechReader* m_reader;  // lives on m_thread; deleted there when it ends
    bool m_paused = false;
    bool m_started = false;
    QString m_problem;
    SpeechVoices m_voices;
    double m_worst = 0;
    qulonglong m_dropped = 0;
};

}  // namespace zandrel
