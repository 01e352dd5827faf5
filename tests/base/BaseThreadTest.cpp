#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "base/BaseThread.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;

// A worker whose steps a test can hold and release, and whose hooks are counted.
class GatedThread final : public CBaseThread {
public:
    ~GatedThread() override
    {
        Release();
        Stop();
    }

    std::atomic<int> steps{0};
    std::atomic<int> enters{0};
    std::atomic<int> exits{0};
    std::atomic<bool> stepResult{true};

    // Steps block until released (or a stop is requested).
    void Hold()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void Release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_held = false;
        }
        m_changed.notify_all();
    }
    bool WaitForSteps(int count)
    {
        return WaitUntil([&] { return steps.load() >= count; });
    }
    bool WaitForExit()
    {
        return WaitUntil([&] { return exits.load() >= 1; });
    }

protected:
    bool RunStep() override
    {
        std::unique_lock lock(m_mutex);
        ++steps;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_held; });
        return stepResult.load();
    }
    void OnThreadEnter() override { ++enters; }
    void OnThreadExit() override
    {
        std::lock_guard lock(m_mutex);
        ++exits;
        m_changed.notify_all();
    }

private:
    template <typename Condition> bool WaitUntil(Condition condition)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, 10s, condition);
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_held = false;
};

TEST(BaseThread, StopAndWaitOnANeverStartedObjectReturnAtOnce)
{
    GatedThread t;
    EXPECT_TRUE(t.Wait(0));
    EXPECT_TRUE(t.Stop());
    EXPECT_FALSE(t.IsRunning());
    EXPECT_EQ(t.enters.load(), 0);
}

TEST(BaseThread, SecondBeginCreatesNoSecondThread)
{
    GatedThread t;
    t.Hold();
    ASSERT_TRUE(t.Start());
    ASSERT_TRUE(t.WaitForSteps(1));
    const auto id = t.ThreadId();
    EXPECT_TRUE(t.Start());
    EXPECT_TRUE(t.StartOnce());
    EXPECT_EQ(t.ThreadId(), id);
    t.Release();
    t.Stop();
    EXPECT_EQ(t.enters.load(), 1);
    EXPECT_EQ(t.exits.load(), 1);
}

TEST(BaseThread, TimedOutWaitLeavesTheStopRequestAndTheThreadEndsAfterItsStep)
{
    GatedThread t;
    t.Hold();
    ASSERT_TRUE(t.Start());
    ASSERT_TRUE(t.WaitForSteps(1));
    const auto before = std::chrono::steady_clock::now();
    EXPECT_FALSE(t.Wait(0));
    EXPECT_FALSE(t.Wait(50));
    EXPECT_GE(std::chrono::steady_clock::now() - before, 50ms);  // a real wait, not a poll
    EXPECT_TRUE(t.IsRunning());
    t.Release();
    EXPECT_TRUE(t.Wait(INFINITE));
    EXPECT_EQ(t.steps.load(), 1);  // the request was still set when the step returned
    EXPECT_EQ(t.exits.load(), 1);
    EXPECT_TRUE(t.IsRunning());  // ended but not yet stopped
    t.Stop();
    EXPECT_FALSE(t.IsRunning());
}

TEST(BaseThread, StepReturningFalseEndsTheThreadAndBeginWaitsForStop)
{
    GatedThread t;
    t.stepResult = false;
    ASSERT_TRUE(t.Start());
    ASSERT_TRUE(t.WaitForExit());
    EXPECT_EQ(t.steps.load(), 1);
    EXPECT_TRUE(t.Start());  // ended, not stopped: nothing new
    EXPECT_EQ(t.enters.load(), 1);
    t.Stop();
    t.stepResult = true;
    t.Hold();
    ASSERT_TRUE(t.Start());  // a new thread now
    ASSERT_TRUE(t.WaitForSteps(2));
    EXPECT_EQ(t.enters.load(), 2);
    t.Release();
    t.Stop();
    EXPECT_EQ(t.exits.load(), 2);
}

TEST(BaseThread, OnceModeRunsExactlyOneStep)
{
    GatedThread t;
    ASSERT_TRUE(t.StartOnce());
    ASSERT_TRUE(t.WaitForExit());
    t.Stop();
    EXPECT_EQ(t.steps.load(), 1);
    EXPECT_EQ(t.enters.load(), 1);
    EXPECT_EQ(t.exits.load(), 1);
}

TEST(BaseThread, ManyStartStopCyclesEachRunTheHooksOnce)
{
    GatedThread t;
    for (int i = 1; i <= 50; ++i) {
        ASSERT_TRUE(i % 2 ? t.Start() : t.StartOnce());
        t.Stop();
        ASSERT_EQ(t.enters.load(), i);
        ASSERT_EQ(t.exits.load(), i);  // also when the stop came before the first step
    }
}

// A worker that idles with SleepUnlessStopped is woken by the stop at once.
class Sleeper final : public CBaseThread {
public:
    ~Sleeper() override { Stop(); }
    std::atomic<int> steps{0};

protected:
    bool RunStep() override
    {
        ++steps;
        SleepUnlessStopped(60'000);
        return true;
    }
};

TEST(BaseThread, StopWakesASleepingStep)
{
    Sleeper s;
    ASSERT_TRUE(s.Start());
    while (s.steps.load() == 0)
        std::this_thread::yield();
    EXPECT_TRUE(s.Wait(10'000));
    s.Stop();
}

}  // namespace
}  // namespace zandrel
