#include "app/TrayIcon.h"

#include <QApplication>

namespace zandrel {

CTrayIcon::CTrayIcon(Actions actions, QObject* parent) : QObject(parent), m_actions(std::move(actions))
{
    m_lock = m_menu.addAction(kLockText, this, [this] { m_actions.toggleLock(); });
    m_overlay = m_menu.addAction(kShowText, this, [this] { m_actions.toggleOverlay(); });
    m_menu.addAction(kSettingsText, this, [this] { m_actions.settings(); });
    m_menu.addSeparator();
    m_menu.addAction(kQuitText, this, [this] { m_actions.quit(); });
    connect(&m_menu, &QMenu::aboutToShow, this, &CTrayIcon::UpdateTexts);
    UpdateTexts();
    m_icon.setIcon(QApplication::windowIcon());
    m_icon.setToolTip(QStringLiteral("Zandrel"));
    m_icon.setContextMenu(&m_menu);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_icon.show();
}

void CTrayIcon::UpdateTexts()
{
    m_lock->setText(m_actions.isLocked() ? kUnlockText : kLockText);
    m_overlay->setText(m_actions.isOverlayShown() ? kHideText : kShowText);
}

}  // namespace zandrel
