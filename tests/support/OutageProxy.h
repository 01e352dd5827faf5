#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace zandrel::test {

// A loopback proxy in front of a port, in a process of its own (tests/netproxy/outage_proxy.js),
// that plays network outages on command: it passes bytes, stalls without closing (a half-open
// link), or refuses connections, and logs every text message it forwards from the server whole.
// The test thread owns it; the destructor ends the process within a bounded time.
class COutageProxy {
public:
    enum class Mode { Pass, Stall, Refuse };

    // Starts the proxy in front of `targetPort`. Throws when it does not come up within 10 s.
    explicit COutageProxy(int targetPort);
    ~COutageProxy();
    COutageProxy(const COutageProxy&) = delete;
    COutageProxy& operator=(const COutageProxy&) = delete;

    int Port() const { return m_port; }
    // Returns once the proxy says the mode holds. Throws when it does not say so within 10 s.
    void SetMode(Mode mode);
    // The text messages forwarded whole from the server to the client so far, in order.
    std::vector<std::string> ForwardedTexts() const;

private:
    std::string ReadLine(int timeoutMs);

    pid_t m_pid = -1;
    int m_toProxy = -1;
    int m_fromProxy = -1;
    int m_port = 0;
    std::string m_logFile;
    std::string m_pending;  // read from the proxy's output but not yet a whole line
};

}  // namespace zandrel::test
