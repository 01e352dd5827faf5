#pragma once

#include <functional>

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace zandrel {

// Tells the user something through the desktop's notification service (org.freedesktop.Notifications
// on the session bus), where a full-screen game does not hide it as it hides a window. The call is
// not waited for. Where there is no such service (no session bus, or nobody answers the call), the
// `fallback` given with the text runs instead, later, on this thread. UI thread.
class CDesktopNotification : public QObject {
    Q_OBJECT
public:
    static constexpr int kCallTimeoutMs = 5000;
    static constexpr int kShownMs = 10000;

    explicit CDesktopNotification(QDBusConnection bus, QObject* parent = nullptr);
    void Show(const QString& title, const QString& text, std::function<void()> fallback);

signals:
    // The service took the notification (its id), or could not be reached (why).
    void delivered(uint id);
    void failed(const QString& why);

private:
    QDBusConnection m_bus;
};

}  // namespace zandrel
