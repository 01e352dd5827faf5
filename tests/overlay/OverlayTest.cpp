#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextCursor>

#include "overlay/BubbleDlg.h"
#include "overlay/OverlayPlacement.h"
#include "support/RecordingWindow.h"

namespace zandrel {
namespace {

class Overlay : public ::testing::Test {
protected:
    void Show()
    {
        m_overlay.ApplyCommands({{OverlayCommand::Kind::Show, {}}});
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_overlay));
    }
    LRESULT Send(WPARAM wParam, LPARAM lParam) { return m_overlay.OnWindowMessage(WM_BARRAGE_MSG, wParam, lParam); }

    CBubbleDlg m_overlay;
};

TEST_F(Overlay, CreatedHiddenAtTheRightEdgeWithTheHandleOnItsCorner)
{
    EXPECT_FALSE(m_overlay.isVisible());
    EXPECT_EQ(m_overlay.size(), QSize(267, 444));
    EXPECT_NEAR(m_overlay.Opacity(), 160 / 255.0, 1e-3);
    EXPECT_TRUE(m_overlay.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(m_overlay.windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(m_overlay.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(m_overlay.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(m_overlay.testAttribute(Qt::WA_ShowWithoutActivating));

    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(m_overlay.pos(), QPoint(screen.right() + 1 - 267 - 20, screen.height() / 2 - 444 / 2));
    EXPECT_EQ(m_overlay.CtrlDlg().geometry(), QRect(m_overlay.x() + 267 - 23, m_overlay.y() + 5, 20, 20));
    EXPECT_FALSE(m_overlay.CtrlDlg().isVisible());

    // Rounded corners: the corner pixel is outside the window's shape, the one next to it inside.
    EXPECT_FALSE(m_overlay.mask().contains(QPoint(0, 0)));
    EXPECT_TRUE(m_overlay.mask().contains(QPoint(3, 3)));
    EXPECT_TRUE(m_overlay.mask().contains(QPoint(133, 0)));
    EXPECT_FALSE(m_overlay.mask().contains(QPoint(266, 443)));
    EXPECT_TRUE(m_overlay.mask().contains(QPoint(263, 440)));
}

struct PlacementCase {
    const char* label;
    QRect available;
    QPoint expected;
};

// The start position for the overlay's 267 x 444 pixels, in a screen's available area.
TEST(OverlayPlacement, InsideTheAvailableAreaOrWithItsTopRightCornerOnIt)
{
    const PlacementCase cases[] = {
        {"a 1280 x 800 screen", QRect(0, 0, 1280, 800), QPoint(993, 178)},
        {"an odd height rounds each half toward zero", QRect(0, 0, 1280, 801), QPoint(993, 178)},
        {"a panel above and beside", QRect(40, 30, 1240, 770), QPoint(993, 193)},
        {"a second screen to the right", QRect(1280, 0, 1920, 1080), QPoint(2913, 318)},
        {"too short: the top at the top", QRect(0, 0, 1280, 400), QPoint(993, 0)},
        {"too short below a panel", QRect(0, 24, 1280, 376), QPoint(993, 24)},
        {"too narrow for the gap: the right edge at the edge", QRect(0, 0, 280, 800), QPoint(13, 178)},
        {"narrower than the overlay", QRect(0, 0, 200, 400), QPoint(-67, 0)},
    };
    for (const PlacementCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(OverlayStartPosition(c.available, QSize(267, 444), 20), c.expected);
    }
}

// Translucent by its pixels: the background carries the chosen opacity as its alpha, the corners
// are clear, and the text is drawn solid on it.
TEST_F(Overlay, TheBackgroundIsTranslucentAndTheTextSolid)
{
    BarrageMessage line;
    line.SetName("name");
    line.SetText(std::string(40, 'W'));
    m_overlay.AddBarrageMessage(line);
    const auto render = [&] {
        QImage image(m_overlay.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        m_overlay.render(&image, {}, {}, QWidget::DrawChildren);
        return image;
    };
    for (const qreal opacity : {160 / 255.0, 0.3, 1.0}) {
        SCOPED_TRACE(opacity);
        m_overlay.SetLook(CBubbleDlg::kTextPointSize, opacity, CBubbleDlg::DesignSize());
        const QImage image = render();
        EXPECT_EQ(image.pixelColor(m_overlay.width() / 2, m_overlay.height() - 40),
                  QColor(0, 0, 0, qRound(opacity * 255)));
        int solidText = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < m_overlay.width(); ++x)
                solidText += image.pixelColor(x, y).alpha() == 255 && image.pixelColor(x, y).lightness() > 150;
        EXPECT_GT(solidText, 20) << "no solid text in the first lines";
    }
}

TEST_F(Overlay, AScreenChangeBringsBackAnOverlayThatIsOffEveryScreen)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint start = m_overlay.pos();
    m_overlay.move(start - QPoint(300, 100));  // where a user may have dragged it: kept
    emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(m_overlay.pos(), start - QPoint(300, 100));

    m_overlay.move(screen->geometry().bottomRight() + QPoint(50, 50));  // off every screen
    emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(m_overlay.pos(), start);
    EXPECT_EQ(m_overlay.CtrlDlg().pos(), start + QPoint(267 - 23, 5));
}

TEST_F(Overlay, TheHandleFollowsEveryMove)
{
    Show();
    for (const QPoint to : {QPoint(100, 50), QPoint(7, 300), QPoint(400, 0)}) {
        m_overlay.move(to);
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_overlay.pos() == to; }, 2000));
        EXPECT_EQ(m_overlay.CtrlDlg().geometry(), QRect(to.x() + 267 - 23, to.y() + 5, 20, 20));
    }
}

TEST_F(Overlay, ShowingShowsTheHandleAndKeepsOnTopHidingStopsBoth)
{
    Show();
    EXPECT_TRUE(m_overlay.CtrlDlg().isVisible());
    EXPECT_TRUE(m_overlay.IsKeptOnTop());
    m_overlay.ApplyCommands({{OverlayCommand::Kind::Hide, {}}});
    EXPECT_FALSE(m_overlay.isVisible());
    EXPECT_FALSE(m_overlay.CtrlDlg().isVisible());
    EXPECT_FALSE(m_overlay.IsKeptOnTop());
}

TEST_F(Overlay, MessageContract)
{
    Show();
    const WId native = m_overlay.winId();
    BarrageMessage record;
    record.SetText("x");
    bool on = true;
    bool off = false;

    EXPECT_EQ(Send(0, 0), 1);  // null lParam: nothing
    EXPECT_EQ(Send(1, 0), 1);
    EXPECT_EQ(Send(2, reinterpret_cast<LPARAM>(&record)), 1);  // unknown wParam: nothing
    EXPECT_TRUE(m_overlay.Messages().empty());
    EXPECT_FALSE(m_overlay.IsClickThrough());

    EXPECT_EQ(Send(0, reinterpret_cast<LPARAM>(&record)), 1);
    EXPECT_EQ(m_overlay.Messages().size(), 1u);

    for (bool* state : {&on, &on, &off, &off, &on}) {
        EXPECT_EQ(Send(1, reinterpret_cast<LPARAM>(state)), 1);
        EXPECT_EQ(m_overlay.IsClickThrough(), *state);
        EXPECT_TRUE(m_overlay.isVisible());    // switched in place, never hidden
        EXPECT_EQ(m_overlay.winId(), native);  // nor created again
    }
}

// Esc and Enter are taken and end there: they neither close nor hide the overlay, nor travel on to
// anything that would. Other keys are left to whoever handles them.
TEST_F(Overlay, EscAndEnterAreTakenAndDoNothing)
{
    Show();
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_A}) {
        SCOPED_TRACE(key);
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&m_overlay, &press);
        EXPECT_EQ(press.isAccepted(), key != Qt::Key_A);
        QTest::keyClick(&m_overlay, key);
        EXPECT_TRUE(m_overlay.isVisible());
    }
}

TEST_F(Overlay, APressAnywhereOverTheTextDragsIt)
{
    Show();
    const QPoint overText = m_overlay.RichEdit().geometry().center();
    EXPECT_EQ(m_overlay.childAt(overText), nullptr);  // the text lets presses through to the overlay

    const QPoint start = m_overlay.pos();
    QTest::mousePress(&m_overlay, Qt::LeftButton, {}, overText);
    QTest::mouseMove(&m_overlay, overText + QPoint(30, 40));
    QTest::mouseRelease(&m_overlay, Qt::LeftButton, {}, overText + QPoint(30, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_overlay.pos() == start + QPoint(30, 40); }, 2000));
    EXPECT_EQ(m_overlay.CtrlDlg().pos(), m_overlay.pos() + QPoint(267 - 23, 5));
}

TEST_F(Overlay, HandleClicksToggleTheLockAndTellTheOverlay)
{
    Show();
    CBubbleCtrlDlg& handle = m_overlay.CtrlDlg();
    QSignalSpy toggles(&handle, &CBubbleCtrlDlg::lockToggled);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&handle));
    EXPECT_EQ(handle.BackgroundColour(), QColor(50, 50, 50));
    EXPECT_NEAR(handle.windowOpacity(), 120 / 255.0, 1e-3);
    EXPECT_FALSE(handle.mask().contains(QPoint(0, 0)));  // a disc
    EXPECT_TRUE(handle.mask().contains(QPoint(10, 10)));

    QTest::mouseClick(&handle, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(handle.IsLocked());
    EXPECT_EQ(handle.BackgroundColour(), CBubbleCtrlDlg::kLockedColour);
    QTest::mouseClick(&handle, Qt::RightButton, {}, QPoint(10, 10));  // only the left button counts
    EXPECT_TRUE(handle.IsLocked());
    // A double click as Qt delivers it: press, release, then the second press as a double click.
    // It toggles twice.
    const QPointF at(10, 10);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                                    QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, handle.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&handle, &event);
    }
    EXPECT_TRUE(handle.IsLocked());

    ASSERT_EQ(toggles.count(), 3);
    EXPECT_TRUE(toggles.at(0).at(0).toBool());
    EXPECT_FALSE(toggles.at(1).at(0).toBool());
    EXPECT_TRUE(toggles.at(2).at(0).toBool());
    EXPECT_TRUE(m_overlay.IsClickThrough());  // the overlay follows each
}

// The handle's two states differ in shape, not only in shade: drawn black and white at the middle
// grey, they differ in a good part of the disc, and the locked one has dark and light parts inside
// its ring (its padlock).
TEST_F(Overlay, TheLockedHandleHasAnotherShapeThanTheUnlockedOne)
{
    CBubbleCtrlDlg& handle = m_overlay.CtrlDlg();
    const auto inkOf = [&] {
        QImage image(handle.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        handle.render(&image);
        std::vector<bool> ink;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ink.push_back(image.pixelColor(x, y).alpha() > 0 && image.pixelColor(x, y).lightness() < 128);
        return ink;
    };
    const std::vector<bool> unlocked = inkOf();
    handle.ToggleLock();
    const std::vector<bool> locked = inkOf();
    handle.ToggleLock();
    int differ = 0, lockedInk = 0;
    for (std::size_t i = 0; i < unlocked.size(); ++i) {
        differ += unlocked[i] != locked[i];
        lockedInk += locked[i];
    }
    const int area = CBubbleCtrlDlg::kSize * CBubbleCtrlDlg::kSize;
    EXPECT_GT(differ, area / 4) << "the two states are the same shape";
    EXPECT_GT(lockedInk, area / 10) << "the locked handle has no mark";
    EXPECT_EQ(handle.size(), QSize(CBubbleCtrlDlg::kSize, CBubbleCtrlDlg::kSize));
}

// Whatever the text size and the overlay's height, the view's top row is a whole one: the row
// just under the view's top edge starts at it, and the last line ends inside the view.
TEST_F(Overlay, OnlyWholeRowsShowAtTheTop)
{
    Show();
    for (const int pointSize : {9, 10, 13, 17}) {
        for (const int height : {300, 333, 444, 517}) {
            SCOPED_TRACE(testing::Message() << pointSize << " pt, " << height << " px");
            m_overlay.ClearLines();
            m_overlay.SetLook(pointSize, m_overlay.Opacity(), QSize(267, height));
            for (int i = 0; i < 40; ++i) {
                BarrageMessage line;
                line.SetName("viewer" + std::to_string(i));
                line.SetText(std::string(5 + (i * 7) % 60, 'w'));
                m_overlay.AddBarrageMessage(line);
            }
            QCoreApplication::processEvents();  // the view scrolls to its end once the lines are laid out
            CUiRichEdit& view = m_overlay.RichEdit();
            const QRect top = view.cursorRect(view.cursorForPosition(QPoint(4, 1)));
            EXPECT_EQ(top.top(), 0) << "the top row is cut";
            QTextCursor end(view.document());
            end.movePosition(QTextCursor::End);
            EXPECT_LE(view.cursorRect(end).bottom(), view.viewport()->height());
        }
    }
}

TEST_F(Overlay, TheHandleLocksTheRealOverlay)
{
    Show();
    CBubbleCtrlDlg& handle = m_overlay.CtrlDlg();
    QTest::mouseClick(&handle, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(m_overlay.IsClickThrough());
    m_overlay.ApplyCommands({{OverlayCommand::Kind::Hide, {}}});
    Show();
    EXPECT_TRUE(m_overlay.IsClickThrough());  // the lock survives hiding and showing
    QTest::mouseClick(&handle, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(m_overlay.IsClickThrough());
}

}  // namespace
}  // namespace zandrel
