#include "speech/SpeechReader.h"

#include <algorithm>

#include <QTimer>

namespace zandrel {

CSpeechReader::CSpeechReader(EngineFactory makeEngine, std::shared_ptr<CSpeechMailbox> mailbox)
    : m_makeEngine(std::move(makeEngine)), m_mailbox(std::move(mailbox)), m_remakeTimer(new QTimer(this)),
      m_now([] { return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(); })
{
    m_remakeTimer->setSingleShot(true);
    connect(m_remakeTimer, &QTimer::timeout, this, &CSpeechReader::Remake);
}

CSpeechReader::~CSpeechReader() { DropEngine(); }

void CSpeechReader::DropEngine()
{
    if (!m_engine)
        return;
    // Whatever the engine does while it ends (a line it stops) no longer reaches the reader.
    m_engine->onDone = nullptr;
    m_engine->onProblem = nullptr;
    m_engine.reset();
}

void CSpeechReader::SetRemakeDelays(std::chrono::milliseconds first, std::chrono::milliseconds most)
{
    m_firstRemakeDelay = first;
    m_maxRemakeDelay = most;
    m_remakeDelay = first;
}

void CSpeechReader::Start()
{
    MakeEngine();
    // Empty but not null when it speaks: null stands for an engine that has not started yet, and
    // an engine may speak without listing any voice.
    const QString problem = m_engine->Problem();
    emit engineStatus(problem.isNull() ? QStringLiteral("") : problem, m_engine->Voices());
}

void CSpeechReader::MakeEngine()
{
    m_engine = m_makeEngine();
    m_engineStarted = m_engine->Problem().isEmpty();
    // Both come from inside the engine's own calls (a Say that finds its server gone): neither may
    // destroy it, which Remake does later from the event loop.
    m_engine->onDone = [this](bool whole) { Done(whole); };
    m_engine->onProblem = [this](const QString& problem) {
        if (m_lost)
            return;  // told once; another engine is on its way
        if (m_engineStarted) {
            Lost(problem);
            return;
        }
        m_queue.Clear();
        emit engineStatus(problem, m_engine->Voices());
    };
    if (m_engineStarted && m_settings)
        m_engine->Configure(*m_settings);
}

bool CSpeechReader::TakesLines() const
{
    // An engine that cannot speak takes nothing, so that no backlog builds up behind it; one that
    // was lost does, bounded as ever, for the engine made again.
    return m_lost || (m_engine && m_engine->Problem().isEmpty());
}

void CSpeechReader::ReadMail()
{
    if (!m_mailbox)
        return;
    CSpeechMailbox::Mail mail = m_mailbox->Take();
    if (mail.clear)
        Clear();
    if (mail.settings)
        Configure(*mail.settings);
    if (mail.pausedSince)
        SetPaused(true);  // the line being read ends now, as it would have had the pause come alone
    if (mail.paused)
        SetPaused(*mail.paused);
    if (!mail.items.empty())
        Speak(mail.items);
}

void CSpeechReader::Configure(const SpeechSettings& settings)
{
    m_settings = settings;
    m_queue.SetMaxBacklog(settings.maxBacklogSeconds);
    m_time.SetRate(settings.rate);
    if (m_mailbox)
        m_mailbox->SetSpeakingTime(m_time);
    if (m_engine)
        m_engine->Configure(settings);
}

void CSpeechReader::Speak(const std::vector<SpeechItem>& items)
{
    if (!TakesLines())
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
    if (paused && m_current && !m_lost) {
        m_cutShort = true;
        m_engine->Stop();  // the line being read ends now; the waiting ones wait
    }
    Next();
}

void CSpeechReader::Next()
{
    if (m_paused || m_current || m_lost || !m_engine)
        return;
    std::optional<SpeechItem> item = m_queue.Start();
    if (!item)
        return;
    m_current = std::move(item);
    m_cutShort = false;
    m_startedAt = m_now();
    // Last, and a text of its own: the engine may end the line, or fail on it, before Say returns.
    const QString text = m_current->text;
    m_engine->Say(text);
}

void CSpeechReader::Done(bool whole)
{
    if (!m_current)
        return;
    SpeechItem item = std::move(*m_current);
    m_current.reset();
    m_queue.Finished();
    if (m_lost) {
        // The engine failed on this line: it is read first by the engine made again.
        m_queue.Requeue(std::move(item));
    } else if (whole && !m_cutShort) {
        // What the engine took teaches what the waiting lines will take; a line it was stopped in,
        // or given up on, says nothing of that.
        m_time.Learn(item.text.size(), m_now() - m_startedAt);
        Learned();
    }
    emit backlog(m_queue.Backlog(), m_queue.WorstBacklog(), m_queue.Dropped());
    Next();
}

void CSpeechReader::Learned()
{
    m_queue.Reestimate([this](const SpeechItem& waiting) { return m_time.Seconds(waiting.text); });
    if (m_mailbox)
        m_mailbox->SetSpeakingTime(m_time);
}

void CSpeechReader::Lost(const QString& problem)
{
    if (m_lost)
        return;
    m_lost = true;
    m_remakeDelay = m_firstRemakeDelay;  // each loss starts the back-off over
    m_remakeTimer->start(m_remakeDelay);
    emit engineLost(problem);
}

void CSpeechReader::Remake()
{
    // From the event loop, never from inside the lost engine's own calls. A line it never ended
    // is read first by the next one.
    if (m_current) {
        m_queue.Finished();
        m_queue.Requeue(std::move(*m_current));
        m_current.reset();
    }
    DropEngine();
    MakeEngine();
    if (!m_engineStarted) {
        m_remakeDelay = std::min(m_remakeDelay * 2, m_maxRemakeDelay);
        m_remakeTimer->start(m_remakeDelay);
        return;
    }
    m_lost = false;
    emit engineBack();
    Next();
}

}  // namespace zandrel
