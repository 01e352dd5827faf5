#include "session/ReconnectBackoff.h"

#include <algorithm>
#include <random>

namespace zandrel {

CReconnectBackoff::CReconnectBackoff(BackoffPolicy policy, std::function<double()> random)
    : m_policy(policy), m_random(std::move(random))
{
    if (!m_random) {
        m_random = [] {
            thread_local std::mt19937 generator{std::random_device{}()};
            return std::uniform_real_distribution<double>(0.0, 1.0)(generator);
        };
    }
}

std::chrono::milliseconds CReconnectBackoff::NextDelay(bool lastWasHealthy)
{
    if (lastWasHealthy) {
        m_attempt = 1;
        m_doublings = 0;
        return std::chrono::milliseconds(0);
    }
    ++m_attempt;
    // first * 2^n without overflow: stop doubling once the cap is reached.
    std::chrono::milliseconds nominal = m_policy.first;
    for (int i = 0; i < m_doublings && nominal < m_policy.cap; ++i)
        nominal *= 2;
    ++m_doublings;
    nominal = std::min(nominal, m_policy.cap);
    const double spread = m_policy.jitterPercent / 100.0 * (2.0 * m_random() - 1.0);
    return std::chrono::milliseconds(static_cast<long long>(static_cast<double>(nominal.count()) * (1.0 + spread)));
}

}  // namespace zandrel
