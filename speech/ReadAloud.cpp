#include "speech/ReadAloud.h"

#include <chrono>
#include <cstdio>

#include <QMetaObject>

namespace zandrel {

CSpeechReader::CSpeechReader(EngineFactory makeEngine)
    : m_makeEngine(std::move(makeEngine)),
      m_now([] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); })
{}

CSpeechReader::~CSpeechReader() = default;

void CSpeechReader::Start()
{
    m_engine = m_makeEngine();
    m_engine->onDone = [this] { Done(); };
    m_engine->onProblem = [this](const QString& problem) {
        m_queue.Clear();
        emit engineStatus(problem, m_engine->Voices());
    };
    // Empty but not null when it speaks: null stands for an engine that has not started yet, and
    // an engine may speak without listing any voice.
    const QString problem = m_engine->Problem();
    emit engineStatus(problem.isNull() ? QStringLiteral("") : problem, m_engine->Voices());
}

void CSpeechReader::Configure(const SpeechSettings& settings)
{
    m_queue.SetMaxBacklog(settings.maxBacklogSeconds);
    m_time.SetRate(settings.rate);
    if (m_engine)
        m_engine->Configure(settings);
}

void CSpeechReader::Speak(const std::vector<SpeechItem>& items)
{
    // An engine that cannot speak takes nothing: no backlog builds up behind it.
    if (!m_engine || !m_engine->Problem().isEmpty())
        return;
    for (SpeechItem item : items) {
        item.seconds = m_time.Seconds(item.text);
        m_queue.Push(std::move(item));
    }
    emit backlog(m_queue.Backlog(), m_queue.WorstBacklog(), m_queue.Dropped());
    Next();
}

void CSpeechReader::SetPaused(bool paused)
{
    m_paused = paused;
    if (paused && m_speaking) {
        m_cutShort = true;
        m_engine->Stop();  // the line being read ends now; the waiting ones wait
    }
    Next();
}

void CSpeechReader::Next()
{
    if (m_paused || m_speaking || !m_engine)
        return;
    const std::optional<SpeechItem> item = m_queue.Start();
    if (!item)
        return;
    m_speaking = true;
    m_cutShort = false;
    m_startedAt = m_now();
    m_startedLength = item->text.size();
    m_engine->Say(item->text);
}

void CSpeechReader::Done()
{
    m_speaking = false;
    m_queue.Finished();
    // What the engine took teaches what the waiting lines will take.
    if (!m_cutShort) {
        m_time.Learn(m_startedLength, m_now() - m_startedAt);
        m_queue.Reestimate([this](const SpeechItem& item) { return m_time.Seconds(item.text); });
    }
    emit backlog(m_queue.Backlog(), m_queue.WorstBacklog(), m_queue.Dropped());
    Next();
}

CReadAloud::CReadAloud(CSpeechReader::EngineFactory makeEngine)
    : m_thread(new QThread), m_reader(new CSpeechReader(std::move(makeEngine)))
{
    m_thread->setObjectName(QStringLiteral("speech"));
    m_reader->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    // Queued: the reader's signals come from the speech thread.
    connect(m_reader, &CSpeechReader::engineStatus, this, [this](const QString& problem, const SpeechVoices& voices) {
        m_started = true;
        m_problem = problem;
        m_voices = voices;
        emit engineStatus(problem, voices);
    });
    connect(m_reader, &CSpeechReader::backlog, this, [this](double, double worst, qulonglong dropped) {
        m_worst = worst;
        m_dropped = dropped;
    });
    m_thread->start();
    QMetaObject::invokeMethod(
        m_reader, [reader = m_reader] { reader->Start(); }, Qt::QueuedConnection);
}

CReadAloud::~CReadAloud()
{
    QMetaObject::invokeMethod(
        m_reader, [reader = m_reader] { reader->SetPaused(true); }, Qt::QueuedConnection);
    m_thread->quit();
    // An engine stuck in a call must not hold the program's exit; its thread is then left to the
    // process's end.
    if (m_thread->wait(kStopWaitMs))
        delete m_thread;
    else
        std::fprintf(stderr, "zandrel: read-aloud did not stop in time\n");
}

void CReadAloud::Configure(const SpeechSettings& settings)
{
    QMetaObject::invokeMethod(
        m_reader, [reader = m_reader, settings] { reader->Configure(settings); }, Qt::QueuedConnection);
}

void CReadAloud::Speak(std::vector<SpeechItem> items)
{
    if (items.empty())
        return;
    QMetaObject::invokeMethod(
        m_reader, [reader = m_reader, items = std::move(items)] { reader->Speak(items); }, Qt::QueuedConnection);
}

void CReadAloud::Clear()
{
    QMetaObject::invokeMethod(
        m_reader, [reader = m_reader] { reader->Clear(); }, Qt::QueuedConnection);
}

void CReadAloud::SetPaused(bool paused)
{
    m_paused = paused;
    QMetaObject::invokeMethod(
        m_reader, [reader = m_reader, paused] { reader->SetPaused(paused); }, Qt::QueuedConnection);
}

}  // namespace zandrel
