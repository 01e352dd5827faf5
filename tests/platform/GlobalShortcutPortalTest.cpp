// The lock key through the desktop's GlobalShortcuts portal, against a portal of the test's own on a
// private bus: what the desktop is asked for, and what its answers and signals do.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <utility>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "platform/portal/GlobalShortcutPortal.h"

namespace zandrel {
namespace {

constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kSessionPath[] = "/org/freedesktop/portal/desktop/session/test/s1";

// A dbus-daemon of the test's own, so that no desktop's bus is touched, and one that starts no
// service by itself: the session bus's own configuration would start the installed portal.
class PrivateBus {
public:
    PrivateBus()
    {
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                   "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                   "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (m_daemon.waitForStarted(5000) && m_daemon.waitForReadyRead(5000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(5000);
    }
    QString Address() const { return m_address; }

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// The portal's side: records what it is asked and answers as told.
class FakePortal : public QDBusVirtualObject {
public:
    explicit FakePortal(QDBusConnection bus) : m_bus(std::move(bus)) {}

    uint bindAnswer = 0;  // 0 yes, 1 the user declined
    QStringList calls;
    QString boundId;
    QString boundTrigger;
    QString client;  // the client's unique name

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        if (message.interface() != QLatin1String("org.freedesktop.portal.GlobalShortcuts"))
            return false;
        calls << message.member();
        client = message.service();
        const QList<QVariant> arguments = message.arguments();
        const QVariantMap options = qdbus_cast<QVariantMap>(arguments.constLast());
        QString sender = message.service();
        sender.remove(0, 1).replace(u'.', u'_');
        const QString request =
            QStringLiteral("%1/request/%2/%3")
                .arg(QLatin1String(kPortalPath), sender, options.value(QStringLiteral("handle_token")).toString());
        m_bus.send(message.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QVariantMap results;
        uint answer = 0;
        if (message.member() == QLatin1String("CreateSession")) {
            results.insert(QStringLiteral("session_handle"), QString::fromLatin1(kSessionPath));
        } else if (message.member() == QLatin1String("BindShortcuts")) {
            const QDBusArgument shortcuts = arguments[1].value<QDBusArgument>();
            shortcuts.beginArray();
            while (!shortcuts.atEnd()) {
                QString id;
                QVariantMap properties;
                shortcuts.beginStructure();
                shortcuts >> id >> properties;
                shortcuts.endStructure();
                boundId = id;
                boundTrigger = properties.value(QStringLiteral("preferred_trigger")).toString();
            }
            shortcuts.endArray();
            answer = bindAnswer;
        }
        QDBusMessage response = QDBusMessage::createTargetedSignal(
            message.service(), request, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        response << answer << results;
        m_bus.send(response);
        return true;
    }
    void Activate(const QString& session, const QString& id)
    {
        QDBusMessage signal = QDBusMessage::createTargetedSignal(
            client, QString::fromLatin1(kPortalPath), QStringLiteral("org.freedesktop.portal.GlobalShortcuts"),
            QStringLiteral("Activated"));
        signal << QVariant::fromValue(QDBusObjectPath(session)) << id << qulonglong(1) << QVariantMap();
        m_bus.send(signal);
    }

private:
    QDBusConnection m_bus;
};

class ShortcutPortal : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_bus.Address().isEmpty()) << "no dbus-daemon";
        m_portalBus =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_bus.Address(), QStringLiteral("portal")));
        m_clientBus =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_bus.Address(), QStringLiteral("client")));
        ASSERT_TRUE(m_portalBus->isConnected() && m_clientBus->isConnected());
    }
    void TearDown() override
    {
        m_portalBus.reset();
        m_clientBus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }
    void OfferPortal()
    {
        ASSERT_TRUE(m_portalBus->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        ASSERT_TRUE(m_portalBus->registerVirtualObject(QString::fromLatin1(kPortalPath), &*m_portal));
    }

    PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_portalBus;
    std::unique_ptr<QDBusConnection> m_clientBus;
    std::optional<FakePortal> m_portal;
};

TEST(ShortcutPortalTrigger, TheKeyAsTheShortcutSpecificationWritesIt)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Ctrl+Alt+L", "CTRL+ALT+l"},
        {"Ctrl+Shift+F9", "CTRL+SHIFT+F9"},
        {"Meta+1", "LOGO+1"},
        {"Alt+Space", "ALT+space"},
        {"Ctrl+Home", ""},
        {"", ""},
    };
    for (const auto& [key, trigger] : cases) {
        SCOPED_TRACE(key);
        EXPECT_EQ(
            CGlobalShortcutPortal::TriggerText(QKeySequence(QString::fromLatin1(key), QKeySequence::PortableText)),
            QString::fromLatin1(trigger));
    }
}

TEST_F(ShortcutPortal, TheKeyIsBoundInASessionAndOnlyItsActivationsToggle)
{
    m_portal.emplace(*m_portalBus);
    OfferPortal();
    CGlobalShortcutPortal portal(*m_clientBus);
    QSignalSpy bound(&portal, &CGlobalShortcutPortal::bound);
    QSignalSpy activated(&portal, &CGlobalShortcutPortal::activated);
    portal.Bind(QKeySequence(QStringLiteral("Ctrl+Alt+L")));
    ASSERT_TRUE(bound.wait(5000));
    EXPECT_TRUE(portal.IsBound());
    EXPECT_EQ(m_portal->calls, (QStringList{QStringLiteral("CreateSession"), QStringLiteral("BindShortcuts")}));
    EXPECT_EQ(m_portal->boundId, QStringLiteral("toggle-lock"));
    EXPECT_EQ(m_portal->boundTrigger, QStringLiteral("CTRL+ALT+l"));

    // Another session's shortcut and another shortcut of ours are not the lock; ours is, each time.
    m_portal->Activate(QStringLiteral("/org/freedesktop/portal/desktop/session/test/other"),
                       QStringLiteral("toggle-lock"));
    m_portal->Activate(QString::fromLatin1(kSessionPath), QStringLiteral("something-else"));
    m_portal->Activate(QString::fromLatin1(kSessionPath), QStringLiteral("toggle-lock"));
    m_portal->Activate(QString::fromLatin1(kSessionPath), QStringLiteral("toggle-lock"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return activated.count() >= 2; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(activated.count(), 2);

    // A new key goes to the same session.
    portal.Bind(QKeySequence(QStringLiteral("Ctrl+Shift+F9")));
    ASSERT_TRUE(bound.wait(5000));
    EXPECT_EQ(m_portal->calls.count(QStringLiteral("CreateSession")), 1);
    EXPECT_EQ(m_portal->boundTrigger, QStringLiteral("CTRL+SHIFT+F9"));
}

TEST_F(ShortcutPortal, ADeclineIsAFailureAndNoPortalIsNothingToTell)
{
    m_portal.emplace(*m_portalBus);
    m_portal->bindAnswer = 1;
    OfferPortal();
    CGlobalShortcutPortal declined(*m_clientBus);
    QSignalSpy failed(&declined, &CGlobalShortcutPortal::failed);
    declined.Bind(QKeySequence(QStringLiteral("Ctrl+Alt+L")));
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.at(0).at(0).toString(), QStringLiteral("the user declined"));
    EXPECT_FALSE(declined.IsBound());

    m_portalBus->unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
    CGlobalShortcutPortal absent(*m_clientBus);
    QSignalSpy unavailable(&absent, &CGlobalShortcutPortal::unavailable);
    QSignalSpy absentFailed(&absent, &CGlobalShortcutPortal::failed);
    absent.Bind(QKeySequence(QStringLiteral("Ctrl+Alt+L")));
    ASSERT_TRUE(unavailable.wait(5000));
    EXPECT_EQ(absentFailed.count(), 0);
    EXPECT_FALSE(absent.IsBound());

    // A key the portal has no name for is refused before any call.
    CGlobalShortcutPortal unnamed(*m_clientBus);
    QSignalSpy unnamedFailed(&unnamed, &CGlobalShortcutPortal::failed);
    unnamed.Bind(QKeySequence(QStringLiteral("Ctrl+Home")));
    EXPECT_EQ(unnamedFailed.count(), 1);
}

}  // namespace
}  // namespace zandrel
