// The overlay's side of the session's queue: a worker pushes, the UI thread drains, and the view
// repaints at most once per display frame. Each test here goes red when one piece of the drain is
// missing: a drain not scheduled again while commands remain, the once-per-frame hold-back, or the
// view's painting left off after a held-back drain.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include <QElapsedTimer>
#include <QTest>

#include "overlay/BubbleDlg.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;

BarrageMessage numbered(int i)
{
    BarrageMessage line;
    line.SetCmd("cst");
    line.SetName("viewer");
    line.SetText(std::to_string(i));
    return line;
}

// Counts the paints of a widget.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget& widget) { widget.installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

class Drain : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_overlay.ApplyCommands({{OverlayCommand::Kind::Show, {}}});
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_overlay));
    }
    bool ViewEndsWith(const QString& text) { return m_overlay.RichEdit().toPlainText().endsWith(text); }

    CBubbleDlg m_overlay;
};

// More than one drain's budget and chunk, from a worker as the session sends: every line reaches
// the store and the view, in order, with no further drain message for what the first left behind.
TEST_F(Drain, TwoThousandLinesFromAWorkerAllReachTheView)
{
    constexpr int kLines = 2048;
    std::thread worker([&queue = m_overlay.Queue(), target = m_overlay.Handle()] {
        for (int i = 0; i < kLines; ++i)
            ASSERT_TRUE(queue.Push(target, {OverlayCommand::Kind::Line, numbered(i)}));
    });
    worker.join();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return m_overlay.Queue().Size() == 0 && ViewEndsWith(QStringLiteral("\n2047")); }, 20000))
        << m_overlay.Queue().Size() << " commands still wait";
    const auto& stored = m_overlay.Messages();
    ASSERT_FALSE(stored.empty());
    EXPECT_EQ(stored.back().text, u"2047");
    // The store keeps the newest lines, in order, without a gap.
    const auto number = [](const ShownLine& line) { return QString::fromStdU16String(line.text).toInt(); };
    for (std::size_t i = 1; i < stored.size(); ++i)
        ASSERT_EQ(number(stored[i]), number(stored[i - 1]) + 1);
}

// A drain that comes within a frame of the last paint holds the view's painting back until the frame
// is due; then the view paints what it holds, and paints on after it.
TEST_F(Drain, ADrainWithinAFrameIsPaintedWhenTheFrameIsDue)
{
    PaintCounter counter(*m_overlay.RichEdit().viewport());
    auto& queue = m_overlay.Queue();
    const HWND target = m_overlay.Handle();
    // Spins the event loop until the view ends with `text`, without sleeping in between.
    const auto drainUntil = [&](const QString& text) {
        QElapsedTimer spin;
        spin.start();
        while (!ViewEndsWith(text) && spin.elapsed() < 2000)
            QCoreApplication::processEvents();
        return ViewEndsWith(text);
    };
    // Two drains a few milliseconds apart: the second is within the first's frame. A machine that
    // stalls for a whole frame in between is given another go.
    bool heldBack = false;
    int n = 0;
    for (int attempt = 0; attempt < 10 && !heldBack; ++attempt) {
        QTest::qWait(2 * CBubbleDlg::kFrameMs);  // a frame has passed: the next drain paints at once
        ASSERT_TRUE(queue.Push(target, {OverlayCommand::Kind::Line, numbered(++n)}));
        ASSERT_TRUE(drainUntil(QStringLiteral("\n%1").arg(n)));
        ASSERT_TRUE(queue.Push(target, {OverlayCommand::Kind::Line, numbered(++n)}));
        ASSERT_TRUE(drainUntil(QStringLiteral("\n%1").arg(n)));
        heldBack = !m_overlay.updatesEnabled();
    }
    ASSERT_TRUE(heldBack) << "no drain within a frame was held back";
    const int before = counter.paints;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_overlay.updatesEnabled(); }, 1000))
        << "the view's painting stayed off after the frame";
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > before; }, 1000))
        << "the held-back lines were never painted";
    // And painting goes on after it.
    QTest::qWait(2 * CBubbleDlg::kFrameMs);
    const int after = counter.paints;
    ASSERT_TRUE(queue.Push(target, {OverlayCommand::Kind::Line, numbered(++n)}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return counter.paints > after; }, 1000));
    EXPECT_TRUE(ViewEndsWith(QStringLiteral("\n%1").arg(n)));
}

}  // namespace
}  // namespace zandrel
