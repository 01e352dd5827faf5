#pragma once

// A name resolver that answers only when the test lets it, as one whose DNS server does not answer.
// It is shared with the resolver threads that call it, which may outlive the test's waits.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>

#include "base/HostResolution.h"

namespace zandrel::test {

class CHeldResolver : public std::enable_shared_from_this<CHeldResolver> {
public:
    // One that gives `answer` for every name, once released.
    static std::shared_ptr<CHeldResolver> Create(std::string answer = "127.0.0.1")
    {
        return std::shared_ptr<CHeldResolver>(new CHeldResolver(std::move(answer)));
    }

    // The resolver: counts the call, then blocks until Release.
    ResolveFunction Function()
    {
        return [self = shared_from_this()](const std::string&) {
            std::unique_lock lock(self->m_mutex);
            ++self->m_calls;
            self->m_changed.notify_all();
            self->m_changed.wait(lock, [&] { return self->m_released; });
            return self->m_answer;
        };
    }
    // Waits until it has been called more than `before` times; false after `timeout`.
    bool WaitForCall(int before, std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [&] { return m_calls > before; });
    }
    int Calls()
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    void Release()
    {
        {
            std::lock_guard lock(m_mutex);
            m_released = true;
        }
        m_changed.notify_all();
    }

private:
    explicit CHeldResolver(std::string answer) : m_answer(std::move(answer)) {}

    const std::string m_answer;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_calls = 0;
    bool m_released = false;
};

}  // namespace zandrel::test
