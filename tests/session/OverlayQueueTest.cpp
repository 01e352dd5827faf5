// The ordered path from the session's worker to the overlay: order, no loss, back-pressure, and a
// stop that never waits on the UI thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "session/OverlayQueue.h"
#include "support/RecordingWindow.h"
#include "support/TestUiThread.h"
#include "support/Watchdog.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using test::RecordedEvent;

OverlayCommand line(int i)
{
    BarrageMessage record;
    record.SetText(std::to_string(i));
    return {OverlayCommand::Kind::Line, record};
}

// Counts the drain messages a window gets, and takes nothing: the test takes by hand.
struct DrainCounter final : IMessageReceiver {
    std::atomic<int> drains{0};
    LRESULT OnWindowMessage(UINT message, WPARAM, LPARAM) override
    {
        drains += message == WM_BARRAGE_DRAIN;
        return 1;
    }
};

TEST(OverlayQueue, OneDrainMessagePerBatchAndEverythingInOrder)
{
    DrainCounter window;
    const HWND handle = RegisterWindow(window);
    COverlayQueue queue(100);
    for (int i = 0; i < 10; ++i)
        ASSERT_TRUE(queue.Push(handle, line(i)));
    EXPECT_EQ(window.drains.load(), 1);  // the first into an empty queue tells; the rest wait with it

    bool more = false;
    std::vector<OverlayCommand> taken = queue.Take(4, more);
    EXPECT_TRUE(more);
    // The UI drains again by itself while some wait: a push meanwhile tells nobody.
    ASSERT_TRUE(queue.Push(handle, line(10)));
    EXPECT_EQ(window.drains.load(), 1);
    for (const OverlayCommand& command : queue.Take(100, more))
        taken.push_back(command);
    EXPECT_FALSE(more);
    ASSERT_EQ(taken.size(), 11u);
    for (int i = 0; i < 11; ++i)
        EXPECT_EQ(taken[static_cast<std::size_t>(i)].line.m_strText, std::to_string(i));

    ASSERT_TRUE(queue.Push(handle, line(11)));  // empty again: the next push tells again
    EXPECT_EQ(window.drains.load(), 2);
    UnregisterWindow(handle);
}

TEST(OverlayQueue, CommandsForAWindowThatIsGoneAreDropped)
{
    COverlayQueue queue(1);
    EXPECT_TRUE(queue.Push(HWND::Null, line(1)));
    EXPECT_TRUE(queue.Push(HWND::Null, line(2)));  // would block if it had been queued
    EXPECT_EQ(queue.Size(), 0u);
}

TEST(OverlayQueue, AFullQueueHoldsTheWorkerBackUntilTheUiTakes)
{
    DrainCounter window;
    const HWND handle = RegisterWindow(window);
    COverlayQueue queue(2);
    ASSERT_TRUE(queue.Push(handle, line(0)));
    ASSERT_TRUE(queue.Push(handle, line(1)));
    std::atomic<bool> pushed{false};
    std::thread worker([&] {
        EXPECT_TRUE(queue.Push(handle, line(2)));
        pushed = true;
    });
    // It waits: the queue stays at its capacity until something is taken.
    for (int i = 0; i < 20 && !pushed; ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_FALSE(pushed.load());
    bool more = false;
    EXPECT_EQ(queue.Take(1, more).at(0).line.m_strText, "0");
    worker.join();
    EXPECT_TRUE(pushed.load());
    const std::vector<OverlayCommand> rest = queue.Take(10, more);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[1].line.m_strText, "2");
    UnregisterWindow(handle);
}

TEST(OverlayQueue, CancelFreesAWaitingWorkerAtOnceAndKeepsWhatIsQueued)
{
    // A push or wait that Cancel does not free would hold the futures' destructors for ever.
    test::CWatchdog watchdog(std::chrono::seconds(20), "a push or wait that Cancel should have freed");
    DrainCounter window;
    const HWND handle = RegisterWindow(window);
    COverlayQueue queue(1);
    ASSERT_TRUE(queue.Push(handle, line(0)));
    auto blockedPush = std::async(std::launch::async, [&] { return queue.Push(handle, line(1)); });
    auto blockedWait = std::async(std::launch::async, [&] { return queue.WaitUntilEmpty(); });
    EXPECT_EQ(blockedPush.wait_for(50ms), std::future_status::timeout);
    queue.Cancel();
    ASSERT_EQ(blockedPush.wait_for(10s), std::future_status::ready);
    ASSERT_EQ(blockedWait.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(blockedPush.get());
    EXPECT_FALSE(blockedWait.get());
    EXPECT_FALSE(queue.Push(handle, line(2)));  // cancelled until allowed
    EXPECT_EQ(queue.Size(), 1u);

    queue.Allow();
    bool more = false;
    EXPECT_EQ(queue.Take(10, more).size(), 1u);
    EXPECT_TRUE(queue.Push(handle, line(3)));
    UnregisterWindow(handle);
}

// A worker floods a slow UI thread: every line arrives once, in order, and the queue never holds
// more than its capacity.
TEST(OverlayQueue, AFloodIntoASlowUiLosesNothing)
{
    test::TestUiThread ui;
    COverlayQueue queue;
    test::RecordingWindow window(&queue);
    std::atomic<std::size_t> most{0};
    window.SetOnMessage([&](RecordedEvent::Kind) {
        most = std::max(most.load(), queue.Size());
        std::this_thread::sleep_for(20us);  // the UI thread is slower than the worker
    });
    constexpr int kLines = 6000;
    std::thread worker([&] {
        for (int i = 0; i < kLines; ++i)
            EXPECT_TRUE(queue.Push(window.Handle(), line(i)));
    });
    worker.join();
    ASSERT_TRUE(window.WaitForCount(RecordedEvent::Kind::Line, kLines, 60s));
    const std::vector<BarrageMessage> lines = window.Lines();
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kLines));
    for (int i = 0; i < kLines; ++i)
        ASSERT_EQ(lines[static_cast<std::size_t>(i)].m_strText, std::to_string(i));
    EXPECT_GT(most.load(), 0u);
    EXPECT_LE(most.load(), COverlayQueue::kDefaultCapacity);
}

}  // namespace
}  // namespace zandrel
