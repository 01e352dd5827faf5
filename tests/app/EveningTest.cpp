// A streamer's evening with the main window: failures that reach the desktop, room changes in the
// overlay, joining the last room at start, the tray, and the settings box's hotkey, warning, place
// and notice.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "app/MainWindowFixture.h"
#include "app/SettingsDlg.h"
#include "app/TrayIcon.h"
#include "app/ZandrelDlg.h"
#include "overlay/BubbleDlg.h"

namespace zandrel {
namespace {

class Evening : public MainWindow {
protected:
    void Restart()
    {
        m_dialog->close();
        m_dialog = std::make_unique<CZandrelDlg>();
        m_dialog->Session().SetLogLevel(0);
        Hook();
        m_dialog->show();
    }
    bool ConnectedTo(int room)
    {
        return QTest::qWaitFor(
            [&] { return m_dialog->StatusLabel().text() == QStringLiteral("已连接直播室 %1").arg(room); }, 20000);
    }
    // Joins `room` and waits for its join line in the overlay.
    void Join(int room)
    {
        TypeRoom(QString::number(room));
        ClickConnect();
        ASSERT_TRUE(ConnectedTo(room));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Shown().empty(); }, 5000));
    }
    // Opens the settings box, runs `edit` on it, and answers it (OK unless `edit` answered).
    void WithSettings(const std::function<void(CSettingsDlg&)>& edit)
    {
        QTimer::singleShot(0, [&] {
            CSettingsDlg* box = m_dialog->OpenSettings();
            ASSERT_NE(box, nullptr);
            edit(*box);
            if (box->isVisible())
                box->accept();
        });
        m_dialog->OnSettings();
    }
    // The overlay's lines as "name: text".
    std::vector<QString> Shown()
    {
        std::vector<QString> shown;
        for (const ShownLine& line : m_dialog->Overlay().Messages())
            shown.push_back(QString::fromStdU16String(line.name) + QStringLiteral(": ") +
                            QString::fromStdU16String(line.text));
        return shown;
    }
    // Whether the overlay's lines hold `line`.
    bool Holds(const QString& line)
    {
        const std::vector<QString> shown = Shown();
        return std::find(shown.begin(), shown.end(), line) != shown.end();
    }
};

// A box may be hidden under a full-screen game: the same text goes to the desktop's notifications,
// for a refused room and for a lookup that fails alike.
TEST_F(Evening, FailuresReachTheDesktopAsWellAsTheBox)
{
    TypeRoom("902");  // the demo refuses this room
    ClickConnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_boxes.empty(); }, 20000));
    EXPECT_EQ(m_notices, m_boxes);
    EXPECT_EQ(m_notices, std::vector<QString>{QStringLiteral("连接请求被拒绝！")});

    m_boxes.clear();
    m_notices.clear();
    UseLookup("lookup.nocolon");
    TypeRoom("123");
    ClickConnect();
    EXPECT_EQ(m_notices, std::vector<QString>{QStringLiteral("无法获取直播室服务地址！")});
    EXPECT_EQ(m_notices, m_boxes);

    // A missing room number is the streamer's own doing at the main window: a box only.
    m_boxes.clear();
    m_notices.clear();
    Room().clear();
    m_dialog->OnConnect();
    EXPECT_EQ(m_boxes.size(), 1u);
    EXPECT_TRUE(m_notices.empty());
}

TEST_F(Evening, ANewRoomIsMarkedInTheOverlayOrClearsIt)
{
    Join(123);
    const QString joinLine = Shown().front();  // a room's first line: the session's own
    QTest::mouseClick(&m_dialog->DisconnectButton(), Qt::LeftButton);
    Join(124);
    const QString separator = CBubbleDlg::SeparatorText(124);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Holds(QStringLiteral(": ") + separator); }, 5000));
    const std::vector<QString> shown = Shown();
    const auto at = std::find(shown.begin(), shown.end(), QStringLiteral(": ") + separator);
    ASSERT_NE(at + 1, shown.end());
    EXPECT_EQ(*(at + 1), joinLine);                         // the new room's first line
    EXPECT_EQ(std::count(shown.begin(), at, joinLine), 1);  // room 123's

    WithSettings([](CSettingsDlg& box) { box.Room().ClearOnNewRoom().setChecked(true); });
    m_dialog->OnDisconnect();
    Join(125);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Holds(QStringLiteral(": ") + separator); }, 5000));
    EXPECT_FALSE(Holds(QStringLiteral(": ") + CBubbleDlg::SeparatorText(125)));
    EXPECT_EQ(Shown().front(), joinLine);
}

TEST_F(Evening, TheLastRoomIsJoinedAtStartWhenAsked)
{
    Join(123);
    Restart();
    EXPECT_FALSE(m_dialog->AutoConnect());  // not asked for
    EXPECT_FALSE(m_dialog->Session().IsRunning());

    WithSettings([](CSettingsDlg& box) { box.Room().AutoConnect().setChecked(true); });
    Restart();
    EXPECT_TRUE(m_dialog->AutoConnect());
    EXPECT_TRUE(ConnectedTo(123));
}

TEST_F(Evening, TheTrayShowsTheMainWindowAndConnects)
{
    CTrayIcon& tray = m_dialog->Tray();
    tray.OnActivated(QSystemTrayIcon::Trigger);  // a left click
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_FALSE(m_dialog->Session().IsRunning());  // hidden, not closed
    tray.OnActivated(QSystemTrayIcon::Context);     // the menu's click does not toggle
    EXPECT_FALSE(m_dialog->isVisible());
    tray.OnActivated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(m_dialog->isVisible());

    const auto entry = [&](int i) { return tray.Menu().actions().at(i); };
    emit tray.Menu().aboutToShow();
    EXPECT_EQ(entry(0)->text(), CTrayIcon::kShowMainWindowText);
    EXPECT_EQ(entry(1)->text(), CTrayIcon::kConnectText);
    m_dialog->hide();
    entry(0)->trigger();
    EXPECT_TRUE(m_dialog->isVisible());

    TypeRoom("123");
    entry(1)->trigger();  // 连接: the room in the field
    ASSERT_TRUE(ConnectedTo(123));
    emit tray.Menu().aboutToShow();
    EXPECT_EQ(entry(1)->text(), CTrayIcon::kDisconnectText);
    entry(1)->trigger();
    EXPECT_FALSE(m_dialog->Session().IsRunning());
    EXPECT_FALSE(m_dialog->Overlay().isVisible());
}

// The hotkey field takes one chord: what is typed after it (a Return to finish, say) makes no
// sequence that no global hotkey could fire.
TEST_F(Evening, TheHotkeyFieldTakesOneChord)
{
    AppSettings kept;
    WithSettings([&](CSettingsDlg& box) {
        QKeySequenceEdit& field = box.Hotkey();
        QTest::keyClick(&field, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(&field, Qt::Key_Return);
        EXPECT_EQ(field.keySequence(), QKeySequence(QStringLiteral("Ctrl+Alt+K")));
        kept = box.Settings();
    });
    EXPECT_EQ(kept.hotkey, QStringLiteral("Ctrl+Alt+K"));
    EXPECT_EQ(m_dialog->Settings().hotkey, QStringLiteral("Ctrl+Alt+K"));
}

// The "taken" warning is about the key another program holds: it goes when another is chosen.
TEST_F(Evening, TheTakenWarningFollowsTheKeyInTheField)
{
    WithSettings([](CSettingsDlg& box) {
        box.SetHotkeyTaken(true);
        EXPECT_TRUE(box.HotkeyState().isVisibleTo(&box));
        box.Hotkey().setKeySequence(QKeySequence(QStringLiteral("Ctrl+Alt+J")));
        EXPECT_FALSE(box.HotkeyState().isVisibleTo(&box));
        box.Hotkey().setKeySequence(QKeySequence(AppSettings::kDefaultHotkey));
        EXPECT_TRUE(box.HotkeyState().isVisibleTo(&box));
        box.reject();
    });
}

// Growing the overlay in the preview never covers the box: it moves clear of it. (The test's
// screen is 800 by 800, and the box about 720 by 540: it fits below a low overlay at the top.)
TEST_F(Evening, TheSettingsBoxKeepsClearOfTheOverlay)
{
    Join(123);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Overlay().isVisible(); }, 5000));
    m_dialog->Overlay().move(400, 0);
    WithSettings([&](CSettingsDlg& box) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        box.OverlayHeight().setValue(AppSettings::kMinOverlayHeight);
        box.move(m_dialog->Overlay().frameGeometry().topLeft());  // right over it
        for (const int width : {200, 300, 400}) {
            box.OverlayWidth().setValue(width);
            QCoreApplication::processEvents();
            EXPECT_FALSE(box.frameGeometry().intersects(m_dialog->Overlay().frameGeometry()))
                << width << " box " << box.frameGeometry().x() << "," << box.frameGeometry().y() << " "
                << box.frameGeometry().width() << "x" << box.frameGeometry().height() << " overlay "
                << m_dialog->Overlay().frameGeometry().x() << "," << m_dialog->Overlay().frameGeometry().y() << " "
                << m_dialog->Overlay().frameGeometry().width() << " screen "
                << box.screen()->availableGeometry().width() << "x" << box.screen()->availableGeometry().height();
        }
        box.reject();
    });
}

// A damaged settings file: the defaults, one accurate notice on the status line until the
// settings are written again.
TEST_F(Evening, ADamagedSettingsFileIsToldOnceOnTheStatusLine)
{
    const QString file =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"), QStringLiteral("Zandrel"))
            .fileName();
    m_dialog->close();
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write("[overlay\nfontPointSize=16\nx");
    }
    Restart();
    EXPECT_TRUE(m_dialog->StatusLabel().text().endsWith(kSettingsDamagedText))
        << m_dialog->StatusLabel().text().toStdString();
    EXPECT_EQ(m_dialog->Settings(), AppSettings());
    Join(123);  // the room is remembered: the settings are written whole
    EXPECT_FALSE(m_dialog->StatusLabel().text().contains(kSettingsDamagedText));
    EXPECT_FALSE(m_dialog->StatusLabel().text().contains(kSettingsUnwritableText));
}

}  // namespace
}  // namespace zandrel
