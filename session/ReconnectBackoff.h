#pragma once

#include <chrono>
#include <functional>

namespace zandrel {

// How long to wait before each reconnect, so that a server that keeps closing is not hammered with
// joins: exponential, with jitter, up to a cap.
struct BackoffPolicy {
    std::chrono::milliseconds first{500};
    std::chrono::milliseconds cap{30000};
    int jitterPercent = 25;  // each wait is the nominal one, give or take this much
};

// Worker thread only. The first reconnect after a healthy connection is immediate, as the streamer
// expects after an ordinary drop; each reconnect after that waits twice as long as the one before.
class CReconnectBackoff {
public:
    // `random` gives a number in [0, 1); by default a per-thread generator.
    explicit CReconnectBackoff(BackoffPolicy policy = {}, std::function<double()> random = {});

    // The wait before the next cycle, given whether the cycle that just ended was healthy.
    std::chrono::milliseconds NextDelay(bool lastWasHealthy);
    // Which reconnect in a row the last NextDelay was for: 1 for the first after a healthy
    // connection or after the start.
    int Attempt() const { return m_attempt; }
    void Reset()
    {
        m_attempt = 0;
        m_doublings = 0;
    }

private:
    BackoffPolicy m_policy;
    std::function<double()> m_random;
    int m_attempt = 0;
    int m_doublings = 0;
};

}  // namespace zandrel
