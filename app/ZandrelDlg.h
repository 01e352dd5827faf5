#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "app/AppSettings.h"
#include "app/InstanceCommand.h"
#include "app/RoomFeatures.h"
#include "app/StatusText.h"
#include "base/WindowMessage.h"
#include "lookup/ChatServerLookupTask.h"
#include "overlay/BubbleDlg.h"
#include "platform/DesktopNotification.h"
#include "platform/FolderOpener.h"
#include "platform/GlobalHotkey.h"
#include "platform/OverlayDisplay.h"
#include "platform/portal/GlobalShortcutPortal.h"
#include "session/Barrage.h"
#include "session/WindowSessionSink.h"

namespace zandrel {

class CSettingsDlg;
class CTrayIcon;

// The main window: the room field and "连接". It owns the overlay and the chat session, runs the
// connect command, reports failures in message boxes captioned "提示", and stops the session when it
// closes, whichever way it is closed. Below the field a status line says what the session does;
// while one runs, "断开" ends it. It keeps the settings (a box from the context menu, the tray, or
// Ctrl+,), the lock's global hotkey and the tray icon. UI thread only; the session reaches it with
// WM_BARRAGE_STATUS and WM_BARRAGE_FAIL, the chat-server lookup (which runs on a thread of its own)
// with a queued call.
class CZandrelDlg : public QDialog, public IMessageReceiver {
    Q_OBJECT
public:
    static inline const QString kPlaceholder = QStringLiteral("请输入房间号");
    static inline const QString kCaption = QStringLiteral("提示");
    static inline const QString kEmptyRoomText = QStringLiteral("房间号不能为空！");
    static inline const QString kSettingsMenuText = QStringLiteral("设置(&S)...");
    static inline const QString kDisconnectText = QStringLiteral("断开");
    static inline const QString kHotkeyTakenText = QStringLiteral("全局热键 %1 已被其他程序占用");
    static inline const QString kBlockedText = QStringLiteral("已屏蔽 %1 条");
    static inline const QString kLogFolderNotOpenedText =
        QStringLiteral("无法打开聊天记录文件夹。聊天记录保存在：\n%1");
    static constexpr int kRoomFontCellHeight = 28;

    // `makeEngine` makes read-aloud's engine (tests give one of their own).
    explicit CZandrelDlg(QWidget* parent = nullptr, CSpeechReader::EngineFactory makeEngine = CreateSystemSpeechEngine);
    // The about entry of the window's menu, in the user's language where it has a translation.
    static QString AboutMenuText() { return tr("&About Zandrel..."); }
    // Where the chat log's files go: "logs" in the user's data folder for the program.
    static QString ChatLogFolder();
    ~CZandrelDlg() override;

    HWND Handle() const { return m_hWnd; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnBarrageFail(WPARAM wParam, LPARAM lParam);
    LRESULT OnBarrageStatus(WPARAM wParam, LPARAM lParam);
    void OnConnect();
    void OnDisconnect();
    void OnAbout();
    void OnSettings();
    // At start: joins the room last joined when the streamer asked for that. True when it did.
    bool AutoConnect();
    // Shows the main window (raised, with the keyboard) or hides it: the tray's left click.
    void ShowMainWindow();
    // A command from another start of the program; gives the answer line ("ok").
    QString OnInstanceCommand(const InstanceCommand& command);
    // Opens the chat log's folder in the desktop's file manager; where there is none, a box says
    // where the folder is (its path selectable).
    void OpenLogFolder();
    CFolderOpener& FolderOpener() { return m_folderOpener; }

    // Enter connects; the window stays open.
    void accept() override { OnConnect(); }
    // Esc, and the end of every close: the session stops first.
    void reject() override;

    QLineEdit& RoomEdit() { return m_editRoom; }
    QPushButton& ConnectButton() { return m_btnConnect; }
    QPushButton& DisconnectButton() { return m_btnDisconnect; }
    QLabel& StatusLabel() { return m_status; }
    const AppSettings& Settings() const { return m_settings; }
    CSettingsDlg* OpenSettings() const { return m_settingsDlg; }
    CTrayIcon& Tray() { return *m_tray; }
    CBarrage& Session() { return m_barrage; }
    CBubbleDlg& Overlay() { return m_bubbleDlg; }
    CRoomFeatures& Features() { return m_features; }
    // Lines the block list kept out since the last connect.
    long long BlockedCount() const { return m_nBlocked; }
    bool ShowsPlaceholder() const { return m_bPlaceholder; }
    bool LookingUp() const { return m_bLookingUp; }
    // For tests: how a message box is shown (a modal box captioned "提示" by default).
    void SetMessageBoxHook(std::function<void(const QString&)> hook) { m_showMessage = std::move(hook); }
    // For tests: how a failure reaches the desktop (a notification, or the tray's balloon).
    void SetNotifyHook(std::function<void(const QString&)> hook) { m_notify = std::move(hook); }

signals:
    // The status line's new text.
    void statusChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void OnRoomFocusIn();
    void OnRoomFocusOut();
    void UpdateRoomColour();
    void ShowMessage(const QString& text);
    // A failure of the session: told where a streamer in a full-screen game sees it (a desktop
    // notification), and in a box.
    void ReportFailure(const QString& text);
    void OnLookupDone(unsigned lookup, const CChatServerLookupTask::Result& result);
    void EnableControls(bool enable);
    // Ends whatever runs: a lookup in progress, and the session.
    void StopAll();
    // The status line, and the overlay's strip while the session is away from the room.
    void SetStatus(StatusLine status);
    // Once a second while a reconnect waits: the time left, counted down in both places.
    void OnReconnectCountdown();
    // A reconnect series is over: the room is joined again, or the session has ended.
    void EndReconnectSeries();
    // Gives the overlay the look of `settings` and takes their hotkey.
    void ApplySettings(const AppSettings& settings);
    void RegisterHotkey();
    // While a key field of the settings box records, the lock key and read-aloud's pause key are
    // let go, so that a press of either reaches the field; then taken again.
    void SetGlobalKeysOff(bool off);
    void Save();

    // Read-aloud and the chat log hear of the overlay's lines: they outlive the overlay.
    CRoomFeatures m_features;
    // The overlay comes first: it must outlive the session that sends to it.
    CBubbleDlg m_bubbleDlg;
    std::unique_ptr<IOverlayDisplay> m_overlayDisplay;  // goes before the overlay it shows
    // This window as the session's failures and states reach it (registered first, so that the
    // session's sink can name it).
    HWND m_hWnd;
    // The session's news: the overlay's queue, and window messages to this window.
    CWindowSessionSink m_sessionSink;
    CBarrage m_barrage;
    QFont m_fontRoom;
    QLineEdit m_editRoom;
    QPushButton m_btnConnect;
    QPushButton m_btnDisconnect;
    QLabel m_status;
    StatusLine m_statusLine;
    AppSettings m_settings;
    CGlobalHotkey m_hotkey;
    // The same key through the desktop's portal where it has one; once bound there, the X11 grab
    // is let go, so that one press toggles once.
    CGlobalShortcutPortal m_shortcutPortal{QDBusConnection::sessionBus()};
    bool m_bHotkeyTaken = false;
    bool m_bGlobalKeysOff = false;  // while a key field records
    std::unique_ptr<CTrayIcon> m_tray;
    CSettingsDlg* m_settingsDlg = nullptr;  // while the settings box is open
    QColor m_clrText{0, 0, 0};
    QColor m_clrPlaceholder{180, 180, 180};
    bool m_bPlaceholder = true;
    std::function<void(const QString&)> m_showMessage;
    CDesktopNotification m_notification{QDBusConnection::sessionBus()};
    CFolderOpener m_folderOpener;
    std::function<void(const QString&)> m_notify;
    // What loading or saving the settings found wrong, for the status line; empty when nothing.
    QString m_settingsNotice;
    // The connect command's lookup, and which one is awaited (later results of an abandoned one are
    // ignored).
    CChatServerLookupTask m_lookup;
    bool m_bLookingUp = false;
    unsigned m_nLookup = 0;
    int m_nRoom = 0;  // the room of the connect command
    // The reconnect under way: which attempt (0 while in the room or stopped) and when it starts.
    int m_nReconnectAttempt = 0;
    std::chrono::steady_clock::time_point m_reconnectAt;
    QTimer m_reconnectCountdown;
    long long m_nBlocked = 0;
};

}  // namespace zandrel
