#include "platform/DesktopNotification.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace zandrel {

CDesktopNotification::CDesktopNotification(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{}

void CDesktopNotification::Show(const QString& title, const QString& text, std::function<void()> fallback)
{
    if (!m_bus.isConnected()) {
        emit failed(QStringLiteral("no session bus"));
        if (fallback)
            QMetaObject::invokeMethod(this, std::move(fallback), Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("zandrel")}};
    call << QStringLiteral("Zandrel") << 0u << QStringLiteral("zandrel") << title << text << QStringList() << hints
         << kShownMs;
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, fallback = std::move(fallback)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<uint> reply = *finished;
                if (reply.isError()) {
                    emit failed(reply.error().message());
                    if (fallback)
                        fallback();
                    return;
                }
                emit delivered(reply.value());
            });
}

}  // namespace zandrel
