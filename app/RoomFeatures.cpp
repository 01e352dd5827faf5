#include "app/RoomFeatures.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iterator>

#include <QDir>
#include <QKeySequence>

#include "base/LogText.h"
#include "speech/SpeechText.h"

namespace zandrel {

CRoomFeatures::CRoomFeatures(QString logFolder, CSpeechReader::EngineFactory makeEngine)
    : m_logFolder(std::move(logFolder)), m_makeEngine(std::move(makeEngine)), m_hWnd(RegisterWindow(*this))
{
    connect(&m_pauseKey, &CGlobalHotkey::activated, this, &CRoomFeatures::ToggleSpeechPaused);
    m_runsEnd.setSingleShot(true);
    connect(&m_runsEnd, &QTimer::timeout, this, &CRoomFeatures::EndClosedRuns);
}

CRoomFeatures::~CRoomFeatures()
{
    // The program ends: the open runs are the log's last lines.
    EndRepeatRuns();
    // Unreachable first: the log's last problem (while it flushes) finds no window.
    UnregisterWindow(m_hWnd);
    if (m_readAloud)
        std::fprintf(stderr, "zandrel: read-aloud: the spoken backlog was at most %.1f s; %llu lines were dropped\n",
                     m_readAloud->WorstBacklog(), m_readAloud->Dropped());
}

void CRoomFeatures::Apply(const AppSettings& settings)
{
    m_settings = settings;
    if (settings.speech.enabled && !m_readAloud) {
        m_readAloud = std::make_unique<CReadAloud>(m_makeEngine);
        connect(m_readAloud.get(), &CReadAloud::engineStatus, this, &CRoomFeatures::speechStatus);
        // Told once each way, on standard error and in the status line.
        connect(m_readAloud.get(), &CReadAloud::engineLost, this, [this](const QString& problem) {
            std::fprintf(stderr, "zandrel: read-aloud: the speech engine stopped working (%s); reconnecting\n",
                         EscapeControlCharacters(problem.toStdString()).c_str());
            m_speechLost = true;
            TellSpeechNotice();
        });
        connect(m_readAloud.get(), &CReadAloud::engineBack, this, [this] {
            std::fprintf(stderr, "zandrel: read-aloud: the speech engine speaks again\n");
            m_speechLost = false;
            TellSpeechNotice();
        });
    }
    if (m_readAloud) {
        m_readAloud->Configure(settings.speech);
        // Turned off: the line being read stops and nothing waits. Turned on again: reading goes on
        // with the lines that come from then on.
        if (!settings.speech.enabled && !m_offPaused) {
            m_offPaused = true;
            m_readAloud->Clear();
            if (!m_readAloud->IsPaused())
                m_readAloud->SetPaused(true);
        } else if (settings.speech.enabled && m_offPaused) {
            m_offPaused = false;
            m_readAloud->SetPaused(false);
        }
    }
    RegisterPauseKey();
    TellSpeechNotice();

    if (settings.chatLog && !m_chatLog) {
        const HWND window = m_hWnd;
        m_chatLog = std::make_unique<CChatLog>(
            std::filesystem::path(m_logFolder.toStdString()), [notice = m_logNotice, window](const std::string& what) {
                // On the log's thread: standard error now, the status line through the UI thread.
                std::fprintf(stderr, "zandrel: the chat log cannot be written: %s\n", what.c_str());
                {
                    std::lock_guard lock(notice->mutex);
                    notice->text = what;
                }
                PostWindowMessage(window, WM_CHATLOG_PROBLEM, 0, 0);
            });
        m_chatLog->SetRoom(m_room);
    } else if (!settings.chatLog && m_chatLog) {
        EndRepeatRuns();
        m_chatLog.reset();  // writes what it has and ends
        m_logProblem.clear();
        emit logProblem(m_logProblem);
    }
}

void CRoomFeatures::SetRoom(int room)
{
    EndRepeatRuns();  // into the old room's file
    m_room = room;
    if (m_chatLog)
        m_chatLog->SetRoom(room);
}

void CRoomFeatures::RemoveOldLogs(int keepDays)
{
    zandrel::RemoveOldLogs(std::filesystem::path(m_logFolder.toStdString()), keepDays,
                           std::filesystem::file_time_type::clock::now());
}

void CRoomFeatures::OnLines(const std::vector<PassedLine>& lines)
{
    ZANDREL_ASSERT_UI_THREAD();
    if (m_chatLog)
        LogLines(lines);
    if (m_readAloud && m_settings.speech.enabled)
        SpeakLines(lines);
}

void CRoomFeatures::LogLines(const std::vector<PassedLine>& lines)
{
    // Every line that got past the block list, repeats and hidden chat included: the log is the
    // room's record, the overlay's rules are how it is shown.
    // A repeat is not a line of its own: it counts into its run, which is written once it ends.
    std::vector<LogLine> out;
    out.reserve(lines.size());
    const std::size_t openBefore = m_repeatRuns.Open();
    for (const PassedLine& passed : lines) {
        const ShownLine& line = passed.line;
        const bool gift = line.kind == LineKind::Gift;
        if (!passed.merged) {
            out.push_back({line.shownAt, line.name, line.text, gift});
            continue;
        }
        // The overlay merges into a line shown less than the merge time ago: the run ends then.
        std::vector<LogLine> ended =
            m_repeatRuns.Repeat(passed.into, {passed.intoShownAt, line.name, line.text, gift}, passed.count,
                                passed.intoShownAt + m_settings.rules.mergeSeconds);
        out.insert(out.end(), std::make_move_iterator(ended.begin()), std::make_move_iterator(ended.end()));
    }
    m_chatLog->Write(std::move(out));
    if (m_repeatRuns.Open() != openBefore)
        WaitForRunsToEnd();  // a new run may end first (a shorter merge time since)
}

void CRoomFeatures::EndClosedRuns()
{
    if (m_chatLog)
        m_chatLog->Write(m_repeatRuns.EndClosed(std::time(nullptr)));
    WaitForRunsToEnd();
}

void CRoomFeatures::WaitForRunsToEnd()
{
    const std::optional<std::time_t> next = m_repeatRuns.NextClose();
    if (!next) {
        m_runsEnd.stop();
        return;
    }
    // Whole seconds, as the overlay's clock counts: a window that closes at second T has closed
    // once the clock reads T, which is at most a second after this wait's estimate.
    const std::time_t now = std::time(nullptr);
    const long long seconds = *next > now ? static_cast<long long>(*next - now) : 0;
    m_runsEnd.start(static_cast<int>(std::min<long long>(seconds, 24 * 3600) * 1000));
}

void CRoomFeatures::EndRepeatRuns()
{
    m_runsEnd.stop();
    std::vector<LogLine> ended = m_repeatRuns.EndAll();
    if (m_chatLog)
        m_chatLog->Write(std::move(ended));
}

void CRoomFeatures::SpeakLines(const std::vector<PassedLine>& lines)
{
    const SpeechSettings& speech = m_settings.speech;
    std::vector<SpeechItem> items;
    for (const PassedLine& passed : lines) {
        const ShownLine& line = passed.line;
        // What is shown once: no hidden lines, no repeats, not the session's own news.
        if (passed.merged || passed.verdict == LineVerdict::Hide || line.kind == LineKind::Own)
            continue;
        const bool gift = line.kind == LineKind::Gift;
        const bool highlight = passed.verdict == LineVerdict::Highlight;
        const bool wanted = gift || (highlight && speech.lines != SpeechSettings::Lines::Gifts) ||
                            speech.lines == SpeechSettings::Lines::All;
        if (!wanted)
            continue;
        const QString text =
            SpokenText(gift ? speech.giftTemplate : speech.chatTemplate, QString::fromStdU16String(line.name),
                       QString::fromStdU16String(line.text), speech.maxTextLength);
        if (!text.isEmpty())
            items.push_back({text, gift || highlight, 0});  // the reader knows how long it takes
    }
    m_readAloud->Speak(std::move(items));
}

void CRoomFeatures::ToggleSpeechPaused()
{
    if (!m_readAloud || !m_settings.speech.enabled)
        return;
    m_readAloud->SetPaused(!m_readAloud->IsPaused());
    std::fprintf(stderr, "zandrel: read-aloud %s\n", m_readAloud->IsPaused() ? "paused" : "resumed");
    emit speechPausedChanged(m_readAloud->IsPaused());
}

void CRoomFeatures::SetPauseKeyOff(bool off)
{
    m_bPauseKeyOff = off;
    RegisterPauseKey();
}

void CRoomFeatures::RegisterPauseKey()
{
    const QString wanted = m_settings.speech.enabled && !m_bPauseKeyOff ? m_settings.speechHotkey : QString();
    if (wanted == m_pauseKeyHeld)
        return;
    m_pauseKey.Unregister();
    m_pauseKeyHeld.clear();
    m_pauseKeyTaken = false;
    if (wanted.isEmpty())
        return;
    const CGlobalHotkey::Result result = m_pauseKey.Register(QKeySequence(wanted, QKeySequence::PortableText));
    m_pauseKeyTaken = result == CGlobalHotkey::Result::Taken;
    if (result == CGlobalHotkey::Result::Registered)
        m_pauseKeyHeld = wanted;
    else if (m_pauseKeyTaken)
        std::fprintf(stderr, "zandrel: the hotkey %s is taken by another program\n", qPrintable(wanted));
}

void CRoomFeatures::TellSpeechNotice()
{
    if (SpeechNotice() == m_speechNoticeTold)
        return;
    m_speechNoticeTold = SpeechNotice();
    emit speechNotice(m_speechNoticeTold);
}

QString CRoomFeatures::MakeLogFolder()
{
    QDir().mkpath(m_logFolder);
    return m_logFolder;
}

LRESULT CRoomFeatures::OnWindowMessage(UINT message, WPARAM, LPARAM)
{
    if (message != WM_CHATLOG_PROBLEM)
        return 0;
    std::string text;
    {
        std::lock_guard lock(m_logNotice->mutex);
        text = m_logNotice->text;
    }
    if (!m_chatLog)
        return 1;  // turned off since
    m_logProblem = kLogProblemText.arg(QString::fromStdString(text));
    emit logProblem(m_logProblem);
    return 1;
}

}  // namespace zandrel
