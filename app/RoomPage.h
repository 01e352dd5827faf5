#pragma once

#include <QCheckBox>
#include <QWidget>

#include "app/AppSettings.h"

namespace zandrel {

// The settings box's page for rooms: joining the last room at start, and what a new room does to
// the overlay (a line between the rooms, or a cleared overlay). UI thread.
class CRoomPage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("直播间");
    static inline const QString kAutoConnectText = QStringLiteral("启动时自动连接上次的直播间");
    static inline const QString kClearText = QStringLiteral("换直播间时清空悬浮窗（不显示分隔行）");

    explicit CRoomPage(const AppSettings& settings, QWidget* parent = nullptr);
    void Store(AppSettings& settings) const;

    QCheckBox& AutoConnect() { return m_autoConnect; }
    QCheckBox& ClearOnNewRoom() { return m_clearOnNewRoom; }

signals:
    void changed();

private:
    QCheckBox m_autoConnect;
    QCheckBox m_clearOnNewRoom;
};

}  // namespace zandrel
