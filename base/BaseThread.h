#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace zandrel {

using DWORD = std::uint32_t;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;

// A worker thread that calls RunStep() over and over until it is asked to stop.
//
// Begin, Wait and Stop belong to the owner's thread; OnThreadEnter, RunStep and OnThreadExit run on
// the worker. A derived class must make RunStep return within bounded time once a stop has been
// requested, and must call Stop() in its own destructor at the latest: by the time this base's
// destructor runs, RunStep is gone.
class CBaseThread {
public:
    CBaseThread() = default;
    CBaseThread(const CBaseThread&) = delete;
    CBaseThread& operator=(const CBaseThread&) = delete;
    virtual ~CBaseThread();

    virtual bool Start() { return Begin(false); }
    virtual bool StartOnce() { return Begin(true); }
    // Asks the thread to stop, waits for it without a time limit and forgets it. Always true.
    virtual bool Stop();
    // Creates the worker thread, unless this object already has one (running or ended but not yet
    // stopped): then it returns true and does nothing. False when no thread could be created.
    virtual bool Begin(bool bOnce);
    // Not only a wait: it first asks the thread to stop (sets the stop request), then waits up to
    // dwMilliseconds (INFINITE: no limit) for it to end. True when it has ended (or none was
    // started); false on time-out, with the request left set.
    virtual bool Wait(DWORD dwMilliseconds);

    bool IsRunning() const { return m_bRunning; }
    std::thread::id ThreadId() const { return m_nThreadId; }

protected:
    virtual bool RunStep() = 0;
    virtual void OnThreadExit() {}
    virtual void OnThreadEnter() {}

    bool StopRequested() const { return m_bStopRequested.load(std::memory_order_acquire); }
    // Worker thread: sleeps up to `ms`, waking early when a stop is requested. True if it was.
    bool SleepUnlessStopped(DWORD ms);

private:
    static void ThreadProc(CBaseThread* self);

    std::thread::id m_nThreadId;
    std::thread m_hThread;
    bool m_bRunning = false;  // owner's thread only
    std::atomic<bool> m_bStopRequested{false};
    bool m_bOnce = false;  // written before the thread exists, read by it

    // The worker's "I have ended" signal, which makes Wait a real timed wait.
    std::mutex m_endMutex;
    std::condition_variable m_endChanged;
    bool m_bEnded = false;
};

}  // namespace zandrel
