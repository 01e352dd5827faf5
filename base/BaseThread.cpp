#include "base/BaseThread.h"

#include <chrono>
#include <system_error>

namespace zandrel {

CBaseThread::~CBaseThread()
{
    // The owner should have stopped us. A joinable std::thread must not be destroyed, and detaching
    // would leave a thread running on a dead object, so end it here as a last resort.
    if (m_hThread.joinable()) {
        m_bStopRequested.store(true, std::memory_order_release);
        m_endChanged.notify_all();
        m_hThread.join();
    }
}

bool CBaseThread::Begin(bool bOnce)
{
    if (m_bRunning)
        return true;
    m_bOnce = bOnce;
    m_bRunning = true;
    m_bStopRequested.store(false, std::memory_order_release);
    {
        std::lock_guard lock(m_endMutex);
        m_bEnded = false;
    }
    try {
        m_hThread = std::thread(&CBaseThread::ThreadProc, this);
    } catch (const std::system_error&) {
        m_bRunning = false;
        return false;
    }
    m_nThreadId = m_hThread.get_id();
    return true;
}

bool CBaseThread::Wait(DWORD dwMilliseconds)
{
    if (!m_bRunning)
        return true;
    {
        // Set under the mutex so that a worker in SleepUnlessStopped cannot miss the wake-up.
        std::lock_guard lock(m_endMutex);
        m_bStopRequested.store(true, std::memory_order_release);
    }
    m_endChanged.notify_all();

    std::unique_lock lock(m_endMutex);
    if (dwMilliseconds == INFINITE) {
        m_endChanged.wait(lock, [this] { return m_bEnded; });
        return true;
    }
    return m_endChanged.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), [this] { return m_bEnded; });
}

bool CBaseThread::Stop()
{
    if (m_bRunning) {
        Wait(INFINITE);
        // The worker has signalled its end; what is left of it is returning from ThreadProc.
        m_hThread.join();
        m_nThreadId = {};
        m_bRunning = false;
    }
    return true;
}

bool CBaseThread::SleepUnlessStopped(DWORD ms)
{
    std::unique_lock lock(m_endMutex);
    return m_endChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return StopRequested(); });
}

void CBaseThread::ThreadProc(CBaseThread* self)
{
    self->OnThreadEnter();
    for (;;) {
        if (self->StopRequested())
            break;
        if (!self->RunStep())
            break;
        if (self->m_bOnce)
            break;
    }
    self->OnThreadExit();
    {
        std::lock_guard lock(self->m_endMutex);
        self->m_bEnded = true;
    }
    self->m_endChanged.notify_all();
}

}  // namespace zandrel
