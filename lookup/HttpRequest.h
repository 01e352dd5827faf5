#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

#include "base/HostResolution.h"

namespace zandrel {

// One HTTP GET with libcurl: user agent = the executable's name, no extra headers, redirects
// followed as a browser would, the whole body kept, the status not judged. Get blocks the calling
// thread; Abort, from any thread, ends it at once, whatever the name resolver does: the URL's host
// is resolved on a thread of its own (CPendingResolution) and libcurl is handed the address.
class CHttpRequest {
public:
    // How long the whole request may take, opening the connection included, before it fails.
    static constexpr long kDefaultTimeoutSeconds = 20;
    // A body beyond this is not an address; the request fails rather than fill the memory.
    static constexpr std::size_t kMaxBodyBytes = 1 << 20;

    CHttpRequest() = default;
    virtual ~CHttpRequest() = default;
    CHttpRequest(const CHttpRequest&) = delete;
    CHttpRequest& operator=(const CHttpRequest&) = delete;

    // True when a body was received (any status, an empty body too): m_strResponse holds it.
    // False when the URL could not be opened, the body not read whole in time, or the request was
    // aborted: m_strResponse is empty and m_nStatus -1.
    bool Get(const std::string& url);
    // Any thread: makes a Get in progress fail now, and every later one fail at once.
    void Abort();
    bool Aborted() const { return m_bAborted.load(); }

    std::string m_strResponse;
    int m_nStatus = 0;  // the HTTP status after a successful Get, -1 after a failed one
    long m_nTimeoutSeconds = kDefaultTimeoutSeconds;
    // Where the URL's host name is resolved (the system's resolver by default).
    ResolveFunction m_resolve = ResolveWithSystem;

private:
    bool Perform(const std::string& url);
    // The "host:port:address" that hands libcurl the URL's host already resolved; empty when the
    // host is numeric or the URL has none (libcurl needs no help then). False when the name could
    // not be resolved within `deadline`, or Abort came first.
    bool ResolveHost(const std::string& url, std::chrono::steady_clock::time_point deadline, std::string& entry);

    std::atomic<bool> m_bAborted{false};
    std::mutex m_multiMutex;   // guards m_pMulti and m_pResolution against Abort racing their end
    void* m_pMulti = nullptr;  // the CURLM of the Get in progress
    std::shared_ptr<CPendingResolution> m_pResolution;  // the resolution that Get waits for
};

// libcurl's process-wide set-up, once, before any thread makes a request; and its clean-up at the
// end. The application calls them around its run.
void InitHttpRequests();
void CleanupHttpRequests();

}  // namespace zandrel
