// The main window against the demo service's lookups, with message boxes recorded instead of shown.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "app/MainWindowFixture.h"
#include "app/SettingsDlg.h"
#include "app/ZandrelDlg.h"
#include "lookup/ChatServerLookup.h"
#include "lookup/HttpRequest.h"
#include "support/HeldResolver.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

TEST_F(MainWindow, OpensWithTheButtonFocusedAndTheGreyPlaceholder)
{
    EXPECT_EQ(m_dialog->windowTitle(), "Zandrel");
    EXPECT_EQ(m_dialog->size(), QSize(551, 322));
    EXPECT_EQ(m_dialog->minimumSize(), m_dialog->maximumSize());
    EXPECT_EQ(QApplication::focusWidget(), &Connect());
    EXPECT_EQ(Room().text(), QStringLiteral("请输入房间号"));
    EXPECT_TRUE(m_dialog->ShowsPlaceholder());
    EXPECT_EQ(RoomTextColour(), QColor(180, 180, 180));
    EXPECT_NEAR(QFontMetrics(Room().font()).height(), 28, 2);  // as near as the font's sizes allow
    EXPECT_EQ(Connect().text(), QStringLiteral("连接"));
}

TEST_F(MainWindow, PlaceholderComesAndGoesWithTheFocus)
{
    Room().setFocus();
    EXPECT_EQ(Room().text(), "");
    EXPECT_FALSE(m_dialog->ShowsPlaceholder());
    EXPECT_EQ(RoomTextColour(), QColor(0, 0, 0));

    Connect().setFocus();  // leaving it empty brings the placeholder back
    EXPECT_EQ(Room().text(), QStringLiteral("请输入房间号"));
    EXPECT_EQ(RoomTextColour(), QColor(180, 180, 180));

    Room().setFocus();
    QTest::keyClicks(&Room(), "12a-3 4");  // only digits can be typed
    EXPECT_EQ(Room().text(), "1234");
    Connect().setFocus();
    EXPECT_EQ(Room().text(), "1234");
    EXPECT_EQ(RoomTextColour(), QColor(0, 0, 0));
    Room().setFocus();
    Connect().setFocus();
    EXPECT_EQ(Room().text(), "1234");
    EXPECT_FALSE(m_dialog->ShowsPlaceholder());
}

// The field takes a room number however it comes, and nothing else: a refused keystroke or paste
// leaves it as it was, and a tip says why.
TEST_F(MainWindow, TheRoomFieldTakesRoomNumbersOnly)
{
    TypeRoom("12");
    const auto paste = [&](const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        Room().paste();
    };
    paste(QStringLiteral("房间号 34"));
    EXPECT_EQ(Room().text(), QStringLiteral("12"));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("房间号只能是不大于 2147483647 的数字"));
    paste(QStringLiteral("３４"));
    EXPECT_EQ(Room().text(), QStringLiteral("1234"));
    paste(QStringLiteral("12345678901234567890"));
    EXPECT_EQ(Room().text(), QStringLiteral("1234"));

    TypeRoom("2147483647");
    QTest::keyClicks(&Room(), "9");
    EXPECT_EQ(Room().text(), QStringLiteral("2147483647"));
    ClickConnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Session().IsRunning(); }, 20000));
    EXPECT_EQ(m_dialog->Session().BuildJoinRequest().find("live2147483647_0") != std::string::npos, true);
}

TEST_F(MainWindow, AMissingRoomNumberIsRefused)
{
    ClickConnect();  // while the placeholder shows
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], QStringLiteral("房间号不能为空！"));
    EXPECT_EQ(QApplication::focusWidget(), &Room());
    EXPECT_EQ(Room().text(), "");  // the focus took the placeholder away

    QTest::keyClick(&Room(), Qt::Key_Return);  // Enter in the empty field
    ASSERT_EQ(m_boxes.size(), 2u);
    EXPECT_EQ(m_boxes[1], QStringLiteral("房间号不能为空！"));
    EXPECT_FALSE(m_dialog->Session().IsRunning());
    EXPECT_TRUE(ControlsEnabled());
}

TEST_F(MainWindow, LookupFailuresAreShownAndTheControlsStayEnabled)
{
    struct LookupCase {
        std::string listener;
        QString text;
    };
    for (const LookupCase& c : {LookupCase{"lookup.nocolon", QStringLiteral("无法获取直播室服务地址！")},
                                LookupCase{"lookup.letter", QStringLiteral("获取的直播室服务地址错误！")}}) {
        SCOPED_TRACE(c.listener);
        m_boxes.clear();
        UseLookup(c.listener);
        TypeRoom("123");
        ClickConnect();
        EXPECT_EQ(m_boxes, std::vector<QString>{c.text});
        EXPECT_TRUE(ControlsEnabled());
        EXPECT_FALSE(m_dialog->Session().IsRunning());
    }
    m_boxes.clear();
    CurrentLookupSettings().host = "127.0.0.1:" + std::to_string(test::ClosedPort());
    ClickConnect();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0], QStringLiteral("无法获取直播室服务地址！"));
}

TEST_F(MainWindow, ConnectingJoinsTheTypedRoomAndDisablesTheControls)
{
    TypeRoom("00123");
    QTest::keyClick(&Room(), Qt::Key_Return);  // Enter connects
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_dialog->LookingUp(); }, 20000));
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(ControlsDisabled());
    EXPECT_TRUE(m_dialog->Session().IsRunning());
    // The disabled field shows its number in the style's grey, not in the enabled field's black.
    EXPECT_EQ(Room().palette().color(QPalette::Disabled, QPalette::Text),
              QApplication::palette(&Room()).color(QPalette::Disabled, QPalette::Text));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Overlay().isVisible(); }, 20000));

    // A line said in room 123 on the audience page reaches us: the room number was read as 123.
    CHttpRequest say;
    ASSERT_TRUE(
        say.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("main")) + "/say?room=123&text=marker-123"));
    EXPECT_NE(say.m_strResponse, "0");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const ShownLine& line : m_dialog->Overlay().Messages())
                if (line.text == u"marker-123")
                    return true;
            return false;
        },
        20000));
    EXPECT_TRUE(m_dialog->isVisible());
}

TEST_F(MainWindow, ASessionFailureIsShownThenTheControlsComeBack)
{
    TypeRoom("902");  // the demo refuses this room
    ClickConnect();
    EXPECT_TRUE(ControlsDisabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_boxes.empty(); }, 20000));
    EXPECT_EQ(m_boxes, std::vector<QString>{QStringLiteral("连接请求被拒绝！")});
    EXPECT_TRUE(ControlsEnabled());
    EXPECT_FALSE(m_dialog->Session().IsRunning());
    EXPECT_FALSE(m_dialog->Overlay().isVisible());
}

TEST_F(MainWindow, FailReportsThatAreNotNewsChangeNothing)
{
    TypeRoom("123");
    ClickConnect();
    ASSERT_TRUE(ControlsDisabled());
    EXPECT_EQ(m_dialog->OnWindowMessage(WM_BARRAGE_FAIL, 0, 0), 0);  // wParam other than 1
    EXPECT_EQ(m_dialog->OnWindowMessage(WM_BARRAGE_FAIL, 1, 0), 0);  // the running session did not fail
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_TRUE(ControlsDisabled());
    EXPECT_TRUE(m_dialog->Session().IsRunning());
}

TEST_F(MainWindow, ClosingByAnyPathStopsTheSessionFirst)
{
    for (const int path : {0, 1}) {
        SCOPED_TRACE(path);
        TypeRoom("123");
        ClickConnect();
        ASSERT_TRUE(m_dialog->Session().IsRunning());
        if (path == 0)
            m_dialog->close();  // the close button, Alt+F4
        else
            QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
        EXPECT_FALSE(m_dialog->Session().IsRunning());
        EXPECT_FALSE(m_dialog->isVisible());
        EXPECT_EQ(m_dialog->result(), QDialog::Rejected);
        Room().setEnabled(true);
        Connect().setEnabled(true);
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
}

// A lookup host whose name never resolves (its DNS server does not answer): "断开" and a close
// return at once, and nothing of the abandoned lookup reaches the window later.
TEST_F(MainWindow, DisconnectAndCloseNeverWaitForTheNameResolver)
{
    const auto resolver = test::CHeldResolver::Create();
    CurrentLookupSettings().host = "lookup.example:" + std::to_string(test::DemoPort("main"));
    CurrentLookupSettings().resolve = resolver->Function();
    for (const bool byClose : {false, true}) {
        SCOPED_TRACE(byClose ? "close" : "disconnect");
        TypeRoom("123");
        QTest::mouseClick(&Connect(), Qt::LeftButton);
        ASSERT_TRUE(resolver->WaitForCall(byClose ? 1 : 0, std::chrono::seconds(10)));
        QElapsedTimer took;
        took.start();
        if (byClose)
            m_dialog->close();
        else
            QTest::mouseClick(&m_dialog->DisconnectButton(), Qt::LeftButton);
        std::printf("%s while the resolver hangs: %lld ms\n", byClose ? "close" : "disconnect",
                    static_cast<long long>(took.elapsed()));
        EXPECT_LT(took.elapsed(), 500) << "the window waited for the resolver";
        EXPECT_FALSE(m_dialog->LookingUp());
    }
    resolver->Release();
    QTest::qWait(200);  // time for a stray result to arrive
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_FALSE(m_dialog->Session().IsRunning());
}

// A lookup server that never answers: the window stays responsive with its controls disabled, and a
// close ends the lookup and the window at once.
TEST_F(MainWindow, ASilentLookupServerNeitherFreezesNorHoldsTheWindow)
{
    CurrentLookupSettings().host = "127.0.0.1:" + std::to_string(test::ScriptedServerPort("silent"));
    CurrentLookupSettings().timeoutSeconds = 60;
    const int before = test::ScriptedServerAccepted("silent");
    TypeRoom("123");
    QTest::mouseClick(&Connect(), Qt::LeftButton);
    ASSERT_TRUE(test::WaitForScriptedServerAccepted("silent", before));
    EXPECT_TRUE(m_dialog->LookingUp());
    EXPECT_TRUE(ControlsDisabled());

    // The event loop runs meanwhile: a timer fires, Enter does not start a second lookup.
    bool ticked = false;
    QTimer::singleShot(10, [&] { ticked = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticked; }, 5000));
    QTest::keyClick(m_dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(m_dialog->LookingUp());

    m_dialog->close();  // ends the lookup; no message box for it
    EXPECT_FALSE(m_dialog->LookingUp());
    EXPECT_FALSE(m_dialog->isVisible());
    QTest::qWait(50);
    EXPECT_TRUE(m_boxes.empty());
    EXPECT_FALSE(m_dialog->Session().IsRunning());
}

// The status line says what the session does, from the lookup to a drop; "断开" ends it, hides the
// overlay and gives the controls back, so that another room can be joined.
TEST_F(MainWindow, TheStatusLineFollowsTheSessionAndDisconnectEndsIt)
{
    EXPECT_EQ(m_dialog->StatusLabel().text(), QStringLiteral("未连接"));
    EXPECT_FALSE(m_dialog->DisconnectButton().isVisible());

    std::vector<QString> seen;
    QObject::connect(m_dialog.get(), &CZandrelDlg::statusChanged, [&](const QString& text) { seen.push_back(text); });
    TypeRoom("9101");  // the demo says one line, then closes after every join
    QTest::mouseClick(&Connect(), Qt::LeftButton);
    EXPECT_EQ(m_dialog->StatusLabel().text(), QStringLiteral("正在获取直播室服务地址..."));
    EXPECT_TRUE(m_dialog->DisconnectButton().isVisible());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !seen.empty() && seen.back().startsWith(QStringLiteral("正在重连")); }, 20000));
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(seen[0], QStringLiteral("正在获取直播室服务地址..."));
    EXPECT_EQ(seen[1], QStringLiteral("正在加入直播室 9101..."));
    EXPECT_EQ(seen[2], QStringLiteral("已连接直播室 9101"));
    EXPECT_TRUE(seen.back() == QStringLiteral("正在重连…（第 1 次，1 秒后）") ||
                seen.back() == QStringLiteral("正在重连…（第 1 次）"))
        << seen.back().toStdString();
    // The overlay, which the streamer watches, says the same.
    EXPECT_EQ(m_dialog->Overlay().StatusStrip().text(), seen.back());
    EXPECT_TRUE(m_dialog->Overlay().StatusStrip().isVisibleTo(&m_dialog->Overlay()));
    EXPECT_TRUE(ControlsDisabled());

    // The waits grow while the server keeps closing; a wait of some seconds is counted down, a
    // second at a time, in both places.
    const QRegularExpression countdown(QStringLiteral("^正在重连…（第 (\\d+) 次，(\\d+) 秒后）$"));
    QString waiting;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QRegularExpressionMatch match = countdown.match(m_dialog->StatusLabel().text());
            if (match.hasMatch() && match.captured(2).toInt() >= 2)
                waiting = match.captured(0);
            return !waiting.isEmpty();
        },
        30000));
    const QRegularExpressionMatch first = countdown.match(waiting);
    const QString next =
        QStringLiteral("正在重连…（第 %1 次，%2 秒后）").arg(first.captured(1)).arg(first.captured(2).toInt() - 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->StatusLabel().text() == next; }, 3000)) << next.toStdString();
    EXPECT_EQ(m_dialog->Overlay().StatusStrip().text(), next);

    QTest::mouseClick(&m_dialog->DisconnectButton(), Qt::LeftButton);
    EXPECT_FALSE(m_dialog->Session().IsRunning());
    EXPECT_FALSE(m_dialog->Overlay().isVisible());
    EXPECT_TRUE(ControlsEnabled());
    EXPECT_FALSE(m_dialog->DisconnectButton().isVisible());
    EXPECT_EQ(m_dialog->StatusLabel().text(), QStringLiteral("未连接"));
    QTest::qWait(100);  // nothing the stopped session queued shows the overlay again
    EXPECT_FALSE(m_dialog->Overlay().isVisible());

    // Another room, in the same run.
    TypeRoom("124");
    ClickConnect();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_dialog->StatusLabel().text() == QStringLiteral("已连接直播室 124"); }, 20000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_dialog->Overlay().isVisible(); }, 5000));
    const std::u16string welcome = u"欢迎来到 124 号直播间";  // the demo's first line in a room
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto& lines = m_dialog->Overlay().Messages();
            return std::any_of(lines.begin(), lines.end(), [&](const ShownLine& line) { return line.text == welcome; });
        },
        5000));
}

TEST_F(MainWindow, AFailureStaysInTheStatusLine)
{
    TypeRoom("902");  // refused
    ClickConnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_boxes.empty(); }, 20000));
    EXPECT_EQ(m_dialog->StatusLabel().text(), QStringLiteral("连接请求被拒绝！"));
    EXPECT_FALSE(m_dialog->DisconnectButton().isVisible());
    // A state the ended session posted before its end, arriving after it, changes nothing.
    for (const SessionStatus late : {SessionStatus::Joining, SessionStatus::Connected, SessionStatus::Reconnecting}) {
        m_dialog->OnWindowMessage(WM_BARRAGE_STATUS, static_cast<WPARAM>(late), ReconnectDetail(1, 500));
        EXPECT_EQ(m_dialog->StatusLabel().text(), QStringLiteral("连接请求被拒绝！"));
    }
}

// What a run leaves behind comes back in the next: the room, and the overlay's look and place.
TEST_F(MainWindow, SettingsComeBackAfterARestart)
{
    TypeRoom("00123");
    ClickConnect();
    // The room is remembered once the server has let the session in.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_dialog->StatusLabel().text() == QStringLiteral("已连接直播室 123"); }, 20000));
    m_dialog->Overlay().move(40, 50);
    QTimer::singleShot(0, [&] {
        CSettingsDlg* box = m_dialog->OpenSettings();
        ASSERT_NE(box, nullptr);
        box->FontSize().setValue(14);
        box->Opacity().setValue(80);
        box->OverlayWidth().setValue(300);
        // Shown at once, before the box is closed.
        EXPECT_EQ(m_dialog->Overlay().TextPointSize(), 14);
        EXPECT_NEAR(m_dialog->Overlay().Opacity(), 0.8, 0.01);
        EXPECT_EQ(m_dialog->Overlay().width(), 300);
        box->accept();
    });
    m_dialog->OnSettings();
    m_dialog->close();
    m_dialog.reset();

    m_dialog = std::make_unique<CZandrelDlg>();
    EXPECT_EQ(Room().text(), QStringLiteral("00123"));
    EXPECT_FALSE(m_dialog->ShowsPlaceholder());
    EXPECT_EQ(m_dialog->Overlay().TextPointSize(), 14);
    EXPECT_NEAR(m_dialog->Overlay().Opacity(), 0.8, 0.01);
    EXPECT_EQ(m_dialog->Overlay().size(), QSize(300, 444));
    EXPECT_EQ(m_dialog->Overlay().pos(), QPoint(40, 50));
    EXPECT_FALSE(m_dialog->Overlay().CtrlDlg().IsLocked());  // the lock is never remembered
}

// Only a room the server let the session into is remembered: a refused one, or one that was never
// joined, leaves the room before it.
TEST_F(MainWindow, ARefusedRoomIsNotRemembered)
{
    TypeRoom("124");
    ClickConnect();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_dialog->StatusLabel().text() == QStringLiteral("已连接直播室 124"); }, 20000));
    QTest::mouseClick(&m_dialog->DisconnectButton(), Qt::LeftButton);
    TypeRoom("902");  // refused
    ClickConnect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_boxes.empty(); }, 20000));
    TypeRoom("125");
    QTest::mouseClick(&Connect(), Qt::LeftButton);
    m_dialog->close();  // during the lookup: never joined
    m_dialog.reset();

    m_dialog = std::make_unique<CZandrelDlg>();
    EXPECT_EQ(Room().text(), QStringLiteral("124"));
}

TEST_F(MainWindow, CancelledSettingsChangeNothing)
{
    QTimer::singleShot(0, [&] {
        CSettingsDlg* box = m_dialog->OpenSettings();
        ASSERT_NE(box, nullptr);
        box->FontSize().setValue(20);
        EXPECT_EQ(m_dialog->Overlay().TextPointSize(), 20);
        box->reject();
    });
    m_dialog->OnSettings();
    EXPECT_EQ(m_dialog->Overlay().TextPointSize(), 10);
    EXPECT_EQ(m_dialog->Settings(), AppSettings());
}

// A remembered place is taken only when the whole overlay is on a screen there, not only its
// top-left corner; otherwise the overlay starts at the screen's right edge.
TEST_F(MainWindow, APositionOffEveryScreenIsNotRestored)
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint start(screen.right() + 1 - 267 - 20, screen.height() / 2 - 444 / 2);
    struct Case {
        const char* what;
        QPoint stored;
        QPoint expected;
    };
    const Case cases[] = {
        {"off every screen", {5000, 40}, start},
        {"the right part off the screen", {screen.right() - 100, 40}, start},
        {"the lower part off the screen", {40, screen.bottom() - 100}, start},
        {"wholly on the screen", {40, 30}, {40, 30}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_dialog.reset();
        {
            QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"),
                            QStringLiteral("Zandrel"));
            store.setValue(QStringLiteral("overlay/x"), c.stored.x());
            store.setValue(QStringLiteral("overlay/y"), c.stored.y());
        }
        m_dialog = std::make_unique<CZandrelDlg>();
        EXPECT_EQ(m_dialog->Overlay().pos(), c.expected);
    }
}

TEST_F(MainWindow, TheAboutBoxFromTheContextMenuAndF1)
{
    QString menuText, title, text;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                menuText += action->text() + "|";
            menu->actions().value(1)->trigger();
            menu->close();
        }
    });
    QTimer::singleShot(200, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            title = box->windowTitle();
            for (const QLabel* label : box->findChildren<QLabel*>())
                text += label->text() + "|";
            box->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), m_dialog->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(m_dialog.get(), &event);
    QTest::qWait(300);
    EXPECT_EQ(menuText, QStringLiteral("设置(&S)...|&About Zandrel...|打开聊天记录文件夹|暂停朗读|"));
    EXPECT_EQ(title, QStringLiteral("About Zandrel"));
    EXPECT_TRUE(text.contains(QStringLiteral("Zandrel, Version " ZANDREL_VERSION "|")));

    title.clear();
    m_dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    QTimer::singleShot(100, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            title = box->windowTitle();
            box->close();
        }
    });
    QTest::keyClick(m_dialog.get(), Qt::Key_F1);
    EXPECT_EQ(title, QStringLiteral("About Zandrel"));
}

}  // namespace
}  // namespace zandrel
