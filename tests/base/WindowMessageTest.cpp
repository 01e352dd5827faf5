#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <thread>

#include "base/WindowMessage.h"
#include "session/BarrageMessage.h"
#include "support/RecordingWindow.h"
#include "support/TestUiThread.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using test::RecordedEvent;
using test::RecordingWindow;
using test::TestUiThread;

TEST(WindowMessage, MessageIdsAreTheProgramsOwn)
{
    EXPECT_EQ(WM_BARRAGE_MSG, 0x464u);
    EXPECT_EQ(WM_BARRAGE_FAIL, 0x465u);
}

TEST(WindowMessage, SendsFromAWorkerArriveInOrderOnTheUiThread)
{
    TestUiThread ui;
    RecordingWindow window;
    std::thread::id handledOn;
    window.SetOnMessage([&](RecordedEvent::Kind) { handledOn = std::this_thread::get_id(); });

    std::thread worker([&] {
        for (int i = 0; i < 200; ++i) {
            BarrageMessage record;
            record.SetText(std::to_string(i));
            EXPECT_EQ(SendWindowMessage(window.Handle(), WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record)), 1);
        }
        PostWindowMessage(window.Handle(), WM_BARRAGE_FAIL, 1, 0);
    });
    worker.join();
    ASSERT_TRUE(window.WaitForCount(RecordedEvent::Kind::Fail, 1));

    const auto events = window.Events();
    ASSERT_EQ(events.size(), 201u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(events[static_cast<std::size_t>(i)].line.m_strText, std::to_string(i));
    EXPECT_EQ(events.back().kind, RecordedEvent::Kind::Fail);
    EXPECT_EQ(events.back().wParam, 1u);
    EXPECT_NE(handledOn, std::thread::id());
    EXPECT_NE(handledOn, worker.get_id());
}

TEST(WindowMessage, SendOnTheUiThreadIsHandledDirectly)
{
    TestUiThread ui;
    RecordingWindow window;
    ui.RunSync([&] {
        BarrageMessage record;
        record.SetText("direct");
        EXPECT_EQ(SendWindowMessage(window.Handle(), WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record)), 1);
        // Handled before the send returned, though this thread is the one that runs the queue.
        EXPECT_EQ(window.Lines().size(), 1u);
    });
}

TEST(WindowMessage, MessagesToAWindowThatIsGoneAreDropped)
{
    TestUiThread ui;
    HWND gone;
    {
        RecordingWindow window;
        gone = window.Handle();
    }
    BarrageMessage record;
    EXPECT_EQ(SendWindowMessage(gone, WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record)), 0);
    EXPECT_EQ(SendWindowMessage(HWND::Null, WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record)), 0);
    PostWindowMessage(gone, WM_BARRAGE_FAIL, 1, 0);
    ui.RunSync([] {});  // the post has been handled, harmlessly
}

TEST(WindowMessage, CancellingFreesASenderThatWaitsOnABusyUiThread)
{
    TestUiThread ui;
    RecordingWindow window;
    ui.Pause();  // the UI thread is "blocked", as in a stop that waits for the worker

    std::promise<std::thread::id> workerId;
    auto sent = std::async(std::launch::async, [&] {
        workerId.set_value(std::this_thread::get_id());
        BarrageMessage record;
        record.SetText("stuck");
        return SendWindowMessage(window.Handle(), WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record));
    });
    const std::thread::id worker = workerId.get_future().get();
    EXPECT_EQ(sent.wait_for(100ms), std::future_status::timeout);

    CancelSendsFrom(worker);
    ASSERT_EQ(sent.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(sent.get(), 0);

    ui.Resume();
    ui.RunSync([] {});
    EXPECT_TRUE(window.Lines().empty());  // the cancelled record was never touched
    AllowSendsFrom(worker);
}

TEST(WindowMessage, ACancelledThreadCannotSendUntilAllowed)
{
    TestUiThread ui;
    RecordingWindow window;
    std::promise<void> cancelled, firstSendDone, allowed;
    std::thread worker([&] {
        cancelled.get_future().wait();
        BarrageMessage record;
        EXPECT_EQ(SendWindowMessage(window.Handle(), WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record)), 0);
        firstSendDone.set_value();
        allowed.get_future().wait();
        EXPECT_EQ(SendWindowMessage(window.Handle(), WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record)), 1);
    });
    CancelSendsFrom(worker.get_id());
    cancelled.set_value();
    firstSendDone.get_future().wait();
    AllowSendsFrom(worker.get_id());
    allowed.set_value();
    worker.join();
    EXPECT_EQ(window.Lines().size(), 1u);
}

TEST(WindowMessage, ACallTheUiThreadHasTakenUpIsWaitedForDespiteCancel)
{
    TestUiThread ui;
    RecordingWindow window;
    std::promise<void> handlerEntered;
    std::promise<void> finishHandler;
    std::shared_future<void> finish = finishHandler.get_future().share();
    window.SetOnMessage([&](RecordedEvent::Kind) {
        handlerEntered.set_value();
        finish.wait();
    });

    std::promise<std::thread::id> workerId;
    auto sent = std::async(std::launch::async, [&] {
        workerId.set_value(std::this_thread::get_id());
        BarrageMessage record;
        record.SetText("kept");
        return SendWindowMessage(window.Handle(), WM_BARRAGE_MSG, 0, reinterpret_cast<LPARAM>(&record));
    });
    const std::thread::id worker = workerId.get_future().get();
    handlerEntered.get_future().wait();
    CancelSendsFrom(worker);
    // The record lives on the sender's stack: the sender must not return while it is being read.
    EXPECT_EQ(sent.wait_for(100ms), std::future_status::timeout);
    finishHandler.set_value();
    EXPECT_EQ(sent.get(), 1);
    ASSERT_EQ(window.Lines().size(), 1u);
    EXPECT_EQ(window.Lines()[0].m_strText, "kept");
    AllowSendsFrom(worker);
}

// A UI-thread entry point called from another thread ends the program, saying where: in the checked
// builds the check is compiled in wherever an entry point names it.
TEST(WindowMessageDeathTest, AnEntryPointOffTheUiThreadEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto offTheUiThread = [](const std::function<void()>& entry) {
        test::TestUiThread ui;
        std::thread(entry).join();
    };
    EXPECT_DEATH(offTheUiThread([] { AssertUiThread("CBubbleDlg::ApplyCommands"); }),
                 "CBubbleDlg::ApplyCommands runs on a thread that is not the UI thread");
#ifdef ZANDREL_CHECK_THREADS
    EXPECT_DEATH(offTheUiThread([] { ZANDREL_ASSERT_UI_THREAD(); }), "not the UI thread");
#endif
    test::TestUiThread ui;
    ui.RunSync([] { AssertUiThread("on the UI thread"); });
    EXPECT_FALSE(OnUiThread());
}

}  // namespace
}  // namespace zandrel
