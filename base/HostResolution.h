#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace zandrel {

// Turns a host name into a numeric address; empty when the name cannot be resolved. May block for
// as long as the system's resolver does.
using ResolveFunction = std::function<std::string(const std::string& host)>;
// The system's resolver (getaddrinfo): the first address it gives, IPv4 or IPv6.
std::string ResolveWithSystem(const std::string& host);

// A resolution that runs on a thread of its own, so that whoever waits for it can give up at once:
// the system's resolver cannot be interrupted, and a stop must not wait for it. An abandoned
// resolution finishes in the background and its result is dropped.
class CPendingResolution {
public:
    enum class Outcome { Resolved, Failed, Cancelled };

    // A numeric host is its own address and starts no thread.
    static std::shared_ptr<CPendingResolution> Start(const ResolveFunction& resolve, const std::string& host);

    // The waiting thread: blocks until the resolution ends or Cancel is called.
    Outcome Wait(std::string& address);
    // The same, giving up at `deadline`: a name not resolved by then has Failed.
    Outcome WaitUntil(std::string& address, std::chrono::steady_clock::time_point deadline);
    // Any thread: makes Wait return Cancelled now, or at once when it is called later.
    void Cancel();

private:
    void Finish(std::string address);
    // With m_mutex held, once the resolution has ended or been cancelled: what it came to.
    Outcome Ended(std::string& address) const;

    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_done = false;
    bool m_cancelled = false;
    std::string m_address;
};

}  // namespace zandrel
