#include "app/TrayIcon.h"

#include <QApplication>

namespace zandrel {

CTrayIcon::CTrayIcon(Actions actions, QObject* parent) : QObject(parent), m_actions(std::move(actions))
{
    m_menu.addAction(kShowMainWindowText, this, [this] {
        if (m_actions.showMainWindow)
            m_actions.showMainWindow();
    });
    m_session = m_menu.addAction(kConnectText, this, [this] {
        const bool active = m_actions.isSessionActive && m_actions.isSessionActive();
        const auto& act = active ? m_actions.disconnect : m_actions.connectRoom;
        if (act)
            act();
    });
    m_menu.addSeparator();
    m_lock = m_menu.addAction(kLockText, this, [this] { m_actions.toggleLock(); });
    m_overlay = m_menu.addAction(kShowText, this, [this] { m_actions.toggleOverlay(); });
    m_speech = m_menu.addAction(kPauseSpeechText, this, [this] {
        if (m_actions.toggleSpeech)
            m_actions.toggleSpeech();
    });
    m_menu.addAction(kOpenLogFolderText, this, [this] {
        if (m_actions.openLogFolder)
            m_actions.openLogFolder();
    });
    m_menu.addAction(kSettingsText, this, [this] { m_actions.settings(); });
    m_menu.addSeparator();
    m_menu.addAction(kQuitText, this, [this] { m_actions.quit(); });
    connect(&m_menu, &QMenu::aboutToShow, this, &CTrayIcon::UpdateTexts);
    UpdateTexts();
    m_icon.setIcon(QApplication::windowIcon());
    m_icon.setToolTip(QStringLiteral("Zandrel"));
    m_icon.setContextMenu(&m_menu);
    connect(&m_icon, &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::Trigger || !m_actions.isMainWindowShown)
        return;
    const auto& act = m_actions.isMainWindowShown() ? m_actions.hideMainWindow : m_actions.showMainWindow;
    if (act)
        act();
}

void CTrayIcon::ShowMessage(const QString& title, const QString& text)
{
    if (m_icon.isVisible())
        m_icon.showMessage(title, text, QSystemTrayIcon::Warning);
}

void CTrayIcon::UpdateTexts()
{
    m_session->setText(m_actions.isSessionActive && m_actions.isSessionActive() ? kDisconnectText : kConnectText);
    m_lock->setText(m_actions.isLocked() ? kUnlockText : kLockText);
    m_overlay->setText(m_actions.isOverlayShown() ? kHideText : kShowText);
    const bool speechReady = m_actions.isSpeechReady && m_actions.isSpeechReady();
    m_speech->setEnabled(speechReady);
    m_speech->setText(speechReady && m_actions.isSpeechPaused && m_actions.isSpeechPaused() ? kResumeSpeechText
                                                                                            : kPauseSpeechText);
}

}  // namespace zandrel
