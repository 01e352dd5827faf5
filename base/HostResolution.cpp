#include "base/HostResolution.h"

#include <exception>
#include <system_error>
#include <thread>

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

namespace zandrel {
namespace {

bool isNumericAddress(const std::string& host)
{
    unsigned char buffer[sizeof(in6_addr)];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

}  // namespace

std::string ResolveWithSystem(const std::string& host)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_ADDRCONFIG;
    addrinfo* results = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &results) != 0 || !results)
        return {};
    std::string address;
    char text[INET6_ADDRSTRLEN] = {};
    for (const addrinfo* r = results; r && address.empty(); r = r->ai_next) {
        const void* raw = nullptr;
        if (r->ai_family == AF_INET)
            raw = &reinterpret_cast<const sockaddr_in*>(r->ai_addr)->sin_addr;
        else if (r->ai_family == AF_INET6)
            raw = &reinterpret_cast<const sockaddr_in6*>(r->ai_addr)->sin6_addr;
        if (raw && inet_ntop(r->ai_family, raw, text, sizeof text))
            address = text;
    }
    freeaddrinfo(results);
    return address;
}

std::shared_ptr<CPendingResolution> CPendingResolution::Start(const ResolveFunction& resolve, const std::string& host)
{
    auto pending = std::make_shared<CPendingResolution>();
    if (isNumericAddress(host)) {
        pending->Finish(host);
        return pending;
    }
    // Resolver thread: owns a share of the state, so the state outlives a waiter that gave up.
    try {
        std::thread([pending, resolve, host] {
            std::string address;
            try {
                address = resolve ? resolve(host) : std::string();
            } catch (const std::exception&) {
                address.clear();
            }
            pending->Finish(std::move(address));
        }).detach();
    } catch (const std::system_error&) {
        pending->Finish({});  // no thread: the name cannot be resolved now
    }
    return pending;
}

CPendingResolution::Outcome CPendingResolution::Wait(std::string& address)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_done || m_cancelled; });
    return Ended(address);
}

CPendingResolution::Outcome CPendingResolution::WaitUntil(std::string& address,
                                                          std::chrono::steady_clock::time_point deadline)
{
    std::unique_lock lock(m_mutex);
    if (!m_changed.wait_until(lock, deadline, [this] { return m_done || m_cancelled; }))
        return Outcome::Failed;
    return Ended(address);
}

CPendingResolution::Outcome CPendingResolution::Ended(std::string& address) const
{
    if (m_cancelled)
        return Outcome::Cancelled;
    address = m_address;
    return address.empty() ? Outcome::Failed : Outcome::Resolved;  // a resolver that found nothing
}

void CPendingResolution::Cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
}

void CPendingResolution::Finish(std::string address)
{
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
        m_address = std::move(address);
    }
    m_changed.notify_all();
}

}  // namespace zandrel
