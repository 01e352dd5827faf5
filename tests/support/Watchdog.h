#pragma once

// A bound of a test's own: if the test has not ended `bound` after it began, the test program ends
// with a message that says what hung and where, instead of waiting for CTest's time-out. For tests
// whose hang would otherwise sit in a wait that has no time-out of its own (a future's destructor,
// a parser, a blocking call).

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace zandrel::test {

class CWatchdog {
public:
    CWatchdog(std::chrono::seconds bound, std::string what)
        : m_what(std::move(what)), m_thread([this, bound] { Watch(bound); })
    {}
    ~CWatchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_ended = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }
    CWatchdog(const CWatchdog&) = delete;
    CWatchdog& operator=(const CWatchdog&) = delete;

    // Where the test is now, for the message.
    void Note(std::string where)
    {
        std::lock_guard lock(m_mutex);
        m_where = std::move(where);
    }

private:
    void Watch(std::chrono::seconds bound)
    {
        std::unique_lock lock(m_mutex);
        if (m_changed.wait_for(lock, bound, [this] { return m_ended; }))
            return;
        std::fprintf(stderr, "FATAL: %s did not end within %lld s%s%s\n", m_what.c_str(),
                     static_cast<long long>(bound.count()), m_where.empty() ? "" : ", at ", m_where.c_str());
        std::abort();
    }

    std::string m_what;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_ended = false;
    std::string m_where;
    std::thread m_thread;  // last: it starts once everything it uses exists
};

}  // namespace zandrel::test
