// The session through network outages: a loopback proxy (tests/netproxy/outage_proxy.js) between
// the session and the scripted node-ws server's ticker room, which sends "tick N" every 100 ms. The
// proxy stalls the link without closing it, or refuses connections, and then lets bytes through
// again; the session must come back to the room by itself, and every line that got through must
// reach the overlay once, in order.
//
// ZANDREL_OUTAGE_SECONDS makes each outage last at least that long, and
// ZANDREL_OUTAGE_DEFAULT_TIMINGS=1 runs with the program's own keep-alive and time-outs, for
// measuring: the test then prints how long the session took to bring lines back after the link did.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "session/ProtocolTexts.h"
#include "session/SessionStatus.h"
#include "support/OutageProxy.h"
#include "support/SessionFixture.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using test::COutageProxy;
using test::RecordedEvent;

constexpr int kTickerRoom = 415;

int environmentNumber(const char* name, int fallback)
{
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

class Outage : public test::SessionFixture {
protected:
    std::vector<std::string> Ticks() const
    {
        std::vector<std::string> ticks;
        for (const BarrageMessage& line : m_overlay.Lines())
            if (line.m_strText.rfind("tick ", 0) == 0)
                ticks.push_back(line.m_strText);
        return ticks;
    }
    // Waits until `count` more ticks than `before` have reached the overlay.
    bool WaitForTicks(std::size_t before, std::size_t count, std::chrono::milliseconds timeout)
    {
        return m_overlay.WaitFor(
            [&](const std::vector<RecordedEvent>& events) {
                const auto ticks = std::count_if(events.begin(), events.end(), [](const RecordedEvent& e) {
                    return e.kind == RecordedEvent::Kind::Line && e.line.m_strText.rfind("tick ", 0) == 0;
                });
                return static_cast<std::size_t>(ticks) >= before + count;
            },
            timeout);
    }
    // The highest reconnect attempt that the main window has heard of in `events`.
    static int HighestAttempt(const std::vector<RecordedEvent>& events)
    {
        int highest = 0;
        for (const RecordedEvent& e : events)
            if (e.kind == RecordedEvent::Kind::Status && e.wParam == static_cast<WPARAM>(SessionStatus::Reconnecting))
                highest = std::max(highest, ReconnectAttempt(e.lParam));
        return highest;
    }
    // Holds the outage until it has lasted `seconds` and the session has failed to reconnect
    // through it at least once (its attempt count has passed `attempt`).
    void HoldOutage(int seconds, int attempt, std::chrono::seconds bound)
    {
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(m_main.WaitFor([&](const auto& events) { return HighestAttempt(events) > attempt; }, bound))
            << "the session did not try to reconnect through the outage";
        std::this_thread::sleep_until(start + std::chrono::seconds(seconds));  // the outage's length itself
    }
};

TEST_F(Outage, TheSessionComesBackAfterAHalfOpenStallAndARefusal)
{
    const bool realTimings = environmentNumber("ZANDREL_OUTAGE_DEFAULT_TIMINGS", 0) != 0;
    const int outageSeconds = environmentNumber("ZANDREL_OUTAGE_SECONDS", 0);
    SessionTimings timings;
    if (!realTimings) {
        timings.keepAlivePingSeconds = 1;
        timings.keepAliveHangupSeconds = 2;
        timings.connectTimeoutSeconds = 2;
        timings.healthyAfter = 1s;
    }
    // Long enough to notice the outage and fail a reconnect through it, with either timings.
    const auto bound =
        std::chrono::seconds(timings.keepAliveHangupSeconds + 2 * timings.connectTimeoutSeconds + 20 + outageSeconds);
    m_session.SetTimings(timings);
    COutageProxy proxy(test::ScriptedServerPort("ws"));
    m_session.SetPort(proxy.Port());
    m_session.SetRoom(kTickerRoom);
    ASSERT_TRUE(m_session.Start());
    // Enough ticks (100 ms apart) for the connection to count as healthy, so that each outage
    // starts a reconnect series of its own.
    const std::size_t healthyTicks = static_cast<std::size_t>(timings.healthyAfter / 100ms) + 5;
    ASSERT_TRUE(WaitForTicks(0, healthyTicks, 30s));

    struct Phase {
        const char* what;
        COutageProxy::Mode mode;
    };
    for (const Phase phase :
         {Phase{"a half-open stall", COutageProxy::Mode::Stall}, Phase{"a refusal", COutageProxy::Mode::Refuse}}) {
        SCOPED_TRACE(phase.what);
        const int attemptBefore = HighestAttempt(m_main.Events());
        proxy.SetMode(phase.mode);
        HoldOutage(outageSeconds, attemptBefore + 1, bound);
        const std::size_t ticksBefore = Ticks().size();
        const auto recovered = std::chrono::steady_clock::now();
        proxy.SetMode(COutageProxy::Mode::Pass);
        ASSERT_TRUE(WaitForTicks(ticksBefore, 1, bound)) << "no lines after " << phase.what;
        const auto back =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - recovered);
        std::printf("after %s of %d s: the first line came back %lld ms after the link\n", phase.what, outageSeconds,
                    static_cast<long long>(back.count()));
        ASSERT_TRUE(WaitForTicks(ticksBefore, healthyTicks, bound + 30s));
    }
    StopOnUiThread();

    // The session never gave up, and told the overlay of each outage once.
    EXPECT_EQ(m_main.Count(RecordedEvent::Kind::Fail), 0u);
    EXPECT_EQ(m_overlay.Count(RecordedEvent::Kind::Hide), 0u);
    const std::vector<BarrageMessage> lines = m_overlay.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const BarrageMessage& l) { return l.m_strText == texts::kReconnecting; }),
              2);

    // Every line that the proxy let through reached the overlay, once and in order; and nothing else
    // did.
    std::vector<std::string> forwarded;
    for (const std::string& text : proxy.ForwardedTexts())
        if (const auto at = text.find("\"tick "); at != std::string::npos)
            forwarded.push_back(text.substr(at + 1, text.find('"', at + 1) - at - 1));
    EXPECT_EQ(Ticks(), forwarded);

    // Seen from the server: one join per connection, each valid.
    for (const test::ReceivedJoin& join : test::ScriptedServerJoins(kTickerRoom)) {
        EXPECT_EQ(join.seq, 0) << "a second join on connection " << join.connection;
        EXPECT_TRUE(join.valid) << join.reason;
    }
}

}  // namespace
}  // namespace zandrel
