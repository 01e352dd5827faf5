#include "platform/portal/GlobalShortcutPortal.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace zandrel {
namespace {

constexpr char kService[] = "org.freedesktop.portal.Desktop";
constexpr char kPath[] = "/org/freedesktop/portal/desktop";
constexpr char kInterface[] = "org.freedesktop.portal.GlobalShortcuts";
constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";

// An object path as portals send it: typed 'o', or as a string ('s') by some.
QString pathOf(const QVariant& value)
{
    return value.metaType() == QMetaType::fromType<QDBusObjectPath>() ? value.value<QDBusObjectPath>().path()
                                                                      : value.toString();
}

}  // namespace

// One entry of BindShortcuts' a(sa{sv}).
struct PortalShortcut {
    QString id;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

}  // namespace zandrel

Q_DECLARE_METATYPE(zandrel::PortalShortcut)

namespace zandrel {

CGlobalShortcutPortal::CGlobalShortcutPortal(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus))
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
}

CGlobalShortcutPortal::~CGlobalShortcutPortal()
{
    // The session ends with the program anyway; closing it tells the desktop now.
    if (!m_sessionPath.isEmpty() && m_bus.isConnected())
        m_bus.call(QDBusMessage::createMethodCall(kService, m_sessionPath,
                                                  QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")),
                   QDBus::NoBlock);
}

QString CGlobalShortcutPortal::TriggerText(const QKeySequence& key)
{
    if (key.isEmpty())
        return {};
    const QKeyCombination combination = key[0];
    QStringList parts;
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    if (modifiers & Qt::ControlModifier)
        parts << QStringLiteral("CTRL");
    if (modifiers & Qt::AltModifier)
        parts << QStringLiteral("ALT");
    if (modifiers & Qt::ShiftModifier)
        parts << QStringLiteral("SHIFT");
    if (modifiers & Qt::MetaModifier)
        parts << QStringLiteral("LOGO");
    // The key by its XKB name: lower case for letters, F1 for function keys.
    const Qt::Key k = combination.key();
    QString name;
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        name = QChar(u'a' + (k - Qt::Key_A));
    else if (k >= Qt::Key_0 && k <= Qt::Key_9)
        name = QChar(u'0' + (k - Qt::Key_0));
    else if (k >= Qt::Key_F1 && k <= Qt::Key_F35)
        name = QStringLiteral("F%1").arg(k - Qt::Key_F1 + 1);
    else if (k == Qt::Key_Space)
        name = QStringLiteral("space");
    else
        return {};
    parts << name;
    return parts.join(u'+');
}

QString CGlobalShortcutPortal::WatchRequest(const QString& token)
{
    // The portal answers on /org/freedesktop/portal/desktop/request/SENDER/TOKEN, SENDER being the
    // unique bus name without its colon and with its dots as underscores. The answer is watched for
    // before the call, so that it cannot come first.
    QString sender = m_bus.baseService();
    sender.remove(0, 1).replace(u'.', u'_');
    const QString path = QStringLiteral("%1/request/%2/%3").arg(QLatin1String(kPath), sender, token);
    if (!m_requestPath.isEmpty())
        m_bus.disconnect(QString(), m_requestPath, kRequestInterface, QStringLiteral("Response"), this,
                         SLOT(OnRequestResponse(QDBusMessage)));
    m_requestPath = path;
    m_bus.connect(QString(), path, kRequestInterface, QStringLiteral("Response"), this,
                  SLOT(OnRequestResponse(QDBusMessage)));
    return path;
}

void CGlobalShortcutPortal::Bind(const QKeySequence& key)
{
    m_trigger = TriggerText(key);
    if (m_trigger.isEmpty()) {
        Fail(QStringLiteral("the key %1 has no name the portal takes").arg(key.toString(QKeySequence::PortableText)));
        return;
    }
    if (!m_bus.isConnected()) {
        emit unavailable();
        return;
    }
    if (!m_sessionPath.isEmpty()) {  // a new key in the session the desktop gave before
        BindInSession();
        return;
    }
    m_step = Step::CreatingSession;
    const QString token = QStringLiteral("zandrel%1").arg(++m_tokens);
    WatchRequest(token);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("CreateSession"));
    // KDE's portal registers the shortcuts it is given here with the desktop's shortcut service at
    // once; BindShortcuts there only opens the settings page on which the user may change them.
    call << QVariantMap{{QStringLiteral("handle_token"), token},
                        {QStringLiteral("session_handle_token"), token},
                        {QStringLiteral("shortcuts"), QVariant::fromValue(QList<PortalShortcut>{LockShortcut()})}};
    Call(call);
}

PortalShortcut CGlobalShortcutPortal::LockShortcut() const
{
    return {QString::fromLatin1(kShortcutId),
            {{QStringLiteral("description"), QStringLiteral("Lock or unlock the Zandrel overlay")},
             {QStringLiteral("preferred_trigger"), m_trigger}}};
}

void CGlobalShortcutPortal::Call(const QDBusMessage& call)
{
    // The reply only names the request; the answer is its Response. An error ends the binding.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (!w->isError())
            return;
        switch (w->error().type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::UnknownObject:
        case QDBusError::UnknownInterface:
        case QDBusError::UnknownMethod:
            m_step = Step::None;
            emit unavailable();  // a desktop without the portal: nothing to tell
            break;
        default:
            Fail(w->error().message());
        }
    });
}

void CGlobalShortcutPortal::BindInSession()
{
    m_step = Step::Binding;
    const QString token = QStringLiteral("zandrel%1").arg(++m_tokens);
    WatchRequest(token);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("BindShortcuts"));
    call << QVariant::fromValue(QDBusObjectPath(m_sessionPath))
         << QVariant::fromValue(QList<PortalShortcut>{LockShortcut()}) << QString()
         << QVariantMap{{QStringLiteral("handle_token"), token}};
    Call(call);
}

void CGlobalShortcutPortal::OnRequestResponse(const QDBusMessage& message)
{
    if (message.path() != m_requestPath)
        return;
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2 || !arguments[0].canConvert<uint>()) {
        Fail(QStringLiteral("the portal's answer is not (ua{sv})"));
        return;
    }
    const uint response = arguments[0].toUInt();
    const QVariantMap results = qdbus_cast<QVariantMap>(arguments[1]);
    if (response != 0) {
        Fail(response == 1 ? QStringLiteral("the user declined") : QStringLiteral("the desktop refused"));
        return;
    }
    if (m_step == Step::CreatingSession) {
        m_sessionPath = pathOf(results.value(QStringLiteral("session_handle")));
        if (m_sessionPath.isEmpty()) {
            Fail(QStringLiteral("the portal gave no session"));
            return;
        }
        m_bus.connect(QString(), kPath, kInterface, QStringLiteral("Activated"), this, SLOT(OnActivated(QDBusMessage)));
        BindInSession();
        return;
    }
    if (m_step == Step::Binding) {
        m_step = Step::None;
        m_bound = true;
        emit bound();
    }
}

void CGlobalShortcutPortal::OnActivated(const QDBusMessage& message)
{
    // Activated(o session_handle, s shortcut_id, t timestamp, a{sv} options): ours only.
    const QList<QVariant> arguments = message.arguments();
    if (arguments.size() < 2)
        return;
    if (pathOf(arguments[0]) == m_sessionPath && arguments[1].toString() == QLatin1String(kShortcutId))
        emit activated();
}

void CGlobalShortcutPortal::Fail(const QString& why)
{
    m_step = Step::None;
    emit failed(why);
}

}  // namespace zandrel
