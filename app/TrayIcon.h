#pragma once

#include <functional>

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace zandrel {

// The program's icon in the desktop's tray, where it has one, reachable while a game keeps the
// overlay click-through. A left click shows or hides the main window; the menu shows it, connects
// or disconnects, locks or unlocks the overlay, shows or hides it, pauses or resumes read-aloud,
// opens the chat log's folder or the settings, and quits. Its entries stay in that order whatever
// the state, so that a hand that knows the menu finds them: one that cannot act now is greyed, not
// taken out. It also carries messages where the desktop has no notification service. UI thread.
class CTrayIcon : public QObject {
    Q_OBJECT
public:
    struct Actions {
        std::function<bool()> isLocked;
        std::function<void()> toggleLock;
        std::function<bool()> isOverlayShown;
        std::function<void()> toggleOverlay;
        std::function<void()> settings;
        std::function<void()> quit;
        // Read-aloud's pause (greyed unless read-aloud is on and its engine speaks) and the chat
        // log's folder.
        std::function<bool()> isSpeechReady;
        std::function<bool()> isSpeechPaused;
        std::function<void()> toggleSpeech;
        std::function<void()> openLogFolder;
        // The main window, and the session (connect to the room in the field, or disconnect).
        std::function<bool()> isMainWindowShown;
        std::function<void()> showMainWindow;
        std::function<void()> hideMainWindow;
        std::function<bool()> isSessionActive;
        std::function<void()> connectRoom;
        std::function<void()> disconnect;
    };
    static inline const QString kShowMainWindowText = QStringLiteral("显示主窗口");
    static inline const QString kConnectText = QStringLiteral("连接");
    static inline const QString kDisconnectText = QStringLiteral("断开");
    static inline const QString kPauseSpeechText = QStringLiteral("暂停朗读");
    static inline const QString kResumeSpeechText = QStringLiteral("继续朗读");
    static inline const QString kOpenLogFolderText = QStringLiteral("打开聊天记录文件夹");
    static inline const QString kLockText = QStringLiteral("锁定悬浮窗");
    static inline const QString kUnlockText = QStringLiteral("解锁悬浮窗");
    static inline const QString kShowText = QStringLiteral("显示悬浮窗");
    static inline const QString kHideText = QStringLiteral("隐藏悬浮窗");
    static inline const QString kSettingsText = QStringLiteral("设置...");
    static inline const QString kQuitText = QStringLiteral("退出");

    // Shows the icon when the desktop has a tray; otherwise does nothing.
    CTrayIcon(Actions actions, QObject* parent = nullptr);
    bool IsShown() const { return m_icon.isVisible(); }
    QMenu& Menu() { return m_menu; }
    // What the icon does when the desktop says it was activated (a left click: Trigger).
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    // A balloon from the icon, where it shows.
    void ShowMessage(const QString& title, const QString& text);

private:
    void UpdateTexts();

    Actions m_actions;
    QMenu m_menu;
    QAction* m_lock;
    QAction* m_overlay;
    QAction* m_speech;
    QAction* m_session;
    QSystemTrayIcon m_icon;
};

}  // namespace zandrel
