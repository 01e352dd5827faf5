#pragma once

// A stand-in for the application's UI thread: a thread that runs queued tasks in order, installed as
// the window-message dispatcher for the life of the object.

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "base/WindowMessage.h"

namespace zandrel::test {

class TestUiThread {
public:
    TestUiThread();
    ~TestUiThread();
    TestUiThread(const TestUiThread&) = delete;
    TestUiThread& operator=(const TestUiThread&) = delete;

    // Runs `task` on the UI thread and waits for it.
    void RunSync(const std::function<void()>& task);
    // While paused, queued tasks wait; this is how a test holds the UI thread "busy".
    void Pause();
    void Resume();

private:
    class Dispatcher;
    void Loop();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_tasks;
    bool m_paused = false;
    bool m_quit = false;
    std::thread m_thread;
    std::shared_ptr<Dispatcher> m_dispatcher;
};

}  // namespace zandrel::test
