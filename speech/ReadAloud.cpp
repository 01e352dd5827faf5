#include "speech/ReadAloud.h"

#include <cstdio>

#include <QDeadlineTimer>
#include <QMetaObject>

#include "base/WindowMessage.h"

namespace zandrel {
namespace {

// The speech threads that a stop left running. Never freed, so that their thread objects stay
// reachable (and alive) until the process ends. UI thread.
std::vector<QThread*>& threadsLeftBehind()
{
    static auto* threads = new std::vector<QThread*>;
    return *threads;
}

}  // namespace

CReadAloud::CReadAloud(CSpeechReader::EngineFactory makeEngine)
    : m_thread(new QThread), m_reader(new CSpeechReader(std::move(makeEngine), m_mailbox))
{
    m_thread->setObjectName(QStringLiteral("speech"));
    m_reader->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    // Queued: the reader's signals come from the speech thread. They go with this object.
    connect(m_reader, &CSpeechReader::engineStatus, this, [this](const QString& problem, const SpeechVoices& voices) {
        m_started = true;
        m_problem = problem;
        m_voices = voices;
        emit engineStatus(problem, voices);
    });
    connect(m_reader, &CSpeechReader::engineLost, this, [this](const QString& problem) {
        m_reconnecting = true;
        emit engineLost(problem);
    });
    connect(m_reader, &CSpeechReader::engineBack, this, [this] {
        m_reconnecting = false;
        emit engineBack();
    });
    connect(m_reader, &CSpeechReader::backlog, this, [this](double, double worst, qulonglong dropped) {
        m_worst = worst;
        m_dropped = dropped;
    });
    m_thread->start();
    PostToReader([](CSpeechReader& reader) { reader.Start(); });
}

CReadAloud::~CReadAloud()
{
    ZANDREL_ASSERT_UI_THREAD();
    // The reader's end destroys its engine, which stops the line being read. An engine stuck
    // inside a call does not return to the event loop: its thread is left to the process's end,
    // with the reader and the mailbox it shares, and ends by itself if the engine ever returns.
    m_thread->quit();
    if (m_thread->wait(QDeadlineTimer(kStopWaitMs))) {
        delete m_thread;
        return;
    }
    threadsLeftBehind().push_back(m_thread);
    std::fprintf(
        stderr,
        "zandrel: read-aloud: the speech engine did not end within %lu ms; it is left to end with the program\n",
        kStopWaitMs);
}

std::size_t CReadAloud::ThreadsLeftBehind() { return threadsLeftBehind().size(); }

void CReadAloud::PostToReader(std::function<void(CSpeechReader&)> call)
{
    ++*m_callsInFlight;
    QMetaObject::invokeMethod(
        m_reader,
        [reader = m_reader, inFlight = m_callsInFlight, call = std::move(call)] {
            // On the speech thread, and only while the reader lives: it is the call's context.
            --*inFlight;
            call(*reader);
        },
        Qt::QueuedConnection);
}

void CReadAloud::WakeReader(bool wake)
{
    // One wake-up at most is on its way: it takes whatever the mailbox holds when it arrives.
    if (wake)
        PostToReader([](CSpeechReader& reader) { reader.ReadMail(); });
}

void CReadAloud::Configure(const SpeechSettings& settings)
{
    ZANDREL_ASSERT_UI_THREAD();
    WakeReader(m_mailbox->PutSettings(settings));
}

void CReadAloud::Speak(std::vector<SpeechItem> items)
{
    ZANDREL_ASSERT_UI_THREAD();
    if (items.empty())
        return;
    WakeReader(m_mailbox->PutItems(std::move(items)));
}

void CReadAloud::Clear()
{
    ZANDREL_ASSERT_UI_THREAD();
    WakeReader(m_mailbox->PutClear());
}

void CReadAloud::SetPaused(bool paused)
{
    ZANDREL_ASSERT_UI_THREAD();
    m_paused = paused;
    WakeReader(m_mailbox->PutPaused(paused));
}

}  // namespace zandrel
