#pragma once

#include <functional>

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

namespace zandrel {

// The program's icon in the desktop's tray, where it has one: a menu to lock or unlock the overlay,
// show or hide it, pause or resume read-aloud, open the chat log's folder or the settings, and quit, reachable while a game keeps the overlay
// click-through. UI thread.
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
        // Read-aloud's pause (shown while read-aloud is on) and the chat log's folder.
        std::function<bool()> isSpeechOn;
        std::function<bool()> isSpeechPaused;
        std::function<void()> toggleSpeech;
        std::function<void()> openLogFolder;
    };
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

private:
    void UpdateTexts();

    Actions m_actions;
    QMenu m_menu;
    QAction* m_lock;
    QAction* m_overlay;
    QAction* m_speech;
    QSystemTrayIcon m_icon;
};

}  // namespace zandrel
