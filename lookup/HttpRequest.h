#pragma once

#include <cstddef>
#include <string>

namespace zandrel {

// One blocking HTTP GET with libcurl: user agent = the executable's name, no extra headers,
// redirects followed as a browser would, the whole body kept, the status not judged.
class CHttpRequest {
public:
    // How long a connection may take to open, and how long the transfer may stall (no byte in
    // either direction), before the request fails. A browser's usual figures.
    static constexpr long kDefaultConnectTimeoutSeconds = 60;
    static constexpr long kDefaultStallTimeoutSeconds = 30;
    // A body beyond this is not an address; the request fails rather than fill the memory.
    static constexpr std::size_t kMaxBodyBytes = 1 << 20;

    CHttpRequest() = default;
    virtual ~CHttpRequest() = default;

    // True when a body was received (any status, an empty body too): m_strResponse holds it.
    // False when the URL could not be opened or the body not read whole: m_strResponse is empty and
    // m_nStatus -1.
    bool Get(const std::string& url);

    std::string m_strResponse;
    int m_nStatus = 0;  // the HTTP status after a successful Get, -1 after a failed one
    long m_nConnectTimeoutSeconds = kDefaultConnectTimeoutSeconds;
    long m_nStallTimeoutSeconds = kDefaultStallTimeoutSeconds;
};

}  // namespace zandrel
