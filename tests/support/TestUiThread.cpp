#include "support/TestUiThread.h"

#include <future>

namespace zandrel::test {

class TestUiThread::Dispatcher final : public IMessageDispatcher {
public:
    explicit Dispatcher(TestUiThread& owner) : m_owner(owner) {}
    bool IsUiThread() const override { return std::this_thread::get_id() == m_owner.m_thread.get_id(); }
    void Queue(std::function<void()> task) override
    {
        {
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_tasks.push_back(std::move(task));
        }
        m_owner.m_changed.notify_all();
    }

private:
    TestUiThread& m_owner;
};

TestUiThread::TestUiThread()
{
    m_thread = std::thread([this] { Loop(); });
    m_dispatcher = std::make_shared<Dispatcher>(*this);
    InstallDispatcher(m_dispatcher);
}

TestUiThread::~TestUiThread()
{
    InstallDispatcher(nullptr);
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_paused = false;
    }
    m_changed.notify_all();
    m_thread.join();
}

void TestUiThread::RunSync(const std::function<void()>& task)
{
    std::promise<void> done;
    m_dispatcher->Queue([&] {
        task();
        done.set_value();
    });
    done.get_future().wait();
}

void TestUiThread::Pause()
{
    std::lock_guard lock(m_mutex);
    m_paused = true;
}

void TestUiThread::Resume()
{
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_changed.notify_all();
}

void TestUiThread::Loop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || (!m_paused && !m_tasks.empty()); });
        if (m_quit && m_tasks.empty())
            return;
        if (m_paused && !m_quit)
            continue;
        std::function<void()> task = std::move(m_tasks.front());
        m_tasks.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

}  // namespace zandrel::test
