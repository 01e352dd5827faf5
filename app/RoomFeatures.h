#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include <QObject>
#include <QString>
#include <QTimer>

#include "app/AppSettings.h"
#include "base/WindowMessage.h"
#include "chatlog/ChatLog.h"
#include "chatlog/RepeatRuns.h"
#include "overlay/BubbleDlg.h"
#include "platform/GlobalHotkey.h"
#include "speech/ReadAloud.h"

namespace zandrel {

// What the streamer turns on for the room's lines beyond the overlay: read-aloud (with its pause
// key) and the chat log. Each starts when it is first turned on, so that a streamer who never uses
// them never starts a speech server nor writes a file. It hears of lines through the overlay's
// listener. UI thread; the log's thread reaches it with WM_CHATLOG_PROBLEM.
class CRoomFeatures : public QObject, public IMessageReceiver {
    Q_OBJECT
public:
    static inline const QString kLogProblemText = QStringLiteral("聊天记录无法写入：%1");
    static inline const QString kSpeechLostText = QStringLiteral("朗读已中断，正在重新连接语音引擎");

    // `logFolder` holds the chat log's files; `makeEngine` makes read-aloud's engine.
    CRoomFeatures(QString logFolder, CSpeechReader::EngineFactory makeEngine = CreateSystemSpeechEngine);
    ~CRoomFeatures() override;

    void Apply(const AppSettings& settings);
    // The room whose lines come next. The old room's runs of merged repeats end.
    void SetRoom(int room);
    void OnLines(const std::vector<PassedLine>& lines);
    // The session has stopped: the runs of merged repeats end, and the log has their lines.
    void EndRepeatRuns();
    // Removes the log files older than the settings keep them.
    void RemoveOldLogs(int keepDays);

    bool SpeechEnabled() const { return m_settings.speech.enabled; }
    bool IsSpeechPaused() const { return m_readAloud && m_readAloud->IsPaused(); }
    // Read-aloud is on and its engine speaks: it has started and reports no problem. Only then is
    // there anything to pause.
    bool IsSpeechReady() const
    {
        return SpeechEnabled() && m_readAloud && m_readAloud->IsStarted() && m_readAloud->Problem().isEmpty();
    }
    void ToggleSpeechPaused();
    // Null while the engine starts or read-aloud has never been on.
    QString SpeechProblem() const { return m_readAloud ? m_readAloud->Problem() : QString(); }
    SpeechVoices Voices() const { return m_readAloud ? m_readAloud->Voices() : SpeechVoices(); }
    CReadAloud* ReadAloud() { return m_readAloud.get(); }
    CChatLog* ChatLog() { return m_chatLog.get(); }
    const QString& LogFolder() const { return m_logFolder; }
    // Makes the log's folder, if it is not there, and gives its path (to open).
    QString MakeLogFolder();
    // The log's problem, once it has one (the status line shows it).
    const QString& LogProblem() const { return m_logProblem; }
    // What the status line says of read-aloud: that its engine is being made again, while it is on.
    QString SpeechNotice() const { return SpeechEnabled() && m_speechLost ? kSpeechLostText : QString(); }
    bool IsPauseKeyTaken() const { return m_pauseKeyTaken; }
    // Lets the pause key go (while a key field records), or takes it again.
    void SetPauseKeyOff(bool off);

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

signals:
    void speechStatus(const QString& problem, const SpeechVoices& voices);
    void speechPausedChanged(bool paused);
    void logProblem(const QString& text);
    // SpeechNotice() changed.
    void speechNotice(const QString& text);

private:
    void SpeakLines(const std::vector<PassedLine>& lines);
    void LogLines(const std::vector<PassedLine>& lines);
    // Writes the lines of the runs that have ended by now, and waits for the next run to end.
    void EndClosedRuns();
    void WaitForRunsToEnd();
    void RegisterPauseKey();
    void TellSpeechNotice();

    QString m_logFolder;
    CSpeechReader::EngineFactory m_makeEngine;
    AppSettings m_settings;
    int m_room = 0;
    std::unique_ptr<CReadAloud> m_readAloud;
    std::unique_ptr<CChatLog> m_chatLog;
    CRepeatRuns m_repeatRuns;  // while the log is on
    QTimer m_runsEnd;
    CGlobalHotkey m_pauseKey;
    QString m_pauseKeyHeld;  // the key now grabbed, if any
    bool m_pauseKeyTaken = false;
    bool m_bPauseKeyOff = false;
    bool m_offPaused = false;    // read-aloud was turned off (its reader paused) since it started
    bool m_speechLost = false;   // its engine stopped working and is being made again
    QString m_speechNoticeTold;  // SpeechNotice() as last told
    QString m_logProblem;
    // The log thread's problem text, waiting for the UI thread.
    struct LogNotice {
        std::mutex mutex;
        std::string text;
    };
    std::shared_ptr<LogNotice> m_logNotice = std::make_shared<LogNotice>();
    HWND m_hWnd;
};

}  // namespace zandrel
