// The wait before each reconnect, with the jitter's random source pinned.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "session/Barrage.h"
#include "session/ReconnectBackoff.h"

namespace zandrel {
namespace {

using std::chrono::milliseconds;

struct Step {
    bool healthy;      // how the cycle before the wait went
    long long waitMs;  // the wait, at the middle of the jitter
    int attempt;
};

struct BackoffCase {
    const char* name;
    std::vector<Step> steps;
};

const BackoffCase kCases[] = {
    // A server that keeps closing: 0.5 s doubling, up to the cap.
    {"KeepsClosing",
     {{false, 500, 1},
      {false, 1000, 2},
      {false, 2000, 3},
      {false, 4000, 4},
      {false, 8000, 5},
      {false, 16000, 6},
      {false, 30000, 7},
      {false, 30000, 8}}},
    // After a healthy connection, at once, then from the start.
    {"AfterAHealthyConnection",
     {{false, 500, 1}, {false, 1000, 2}, {true, 0, 1}, {false, 500, 2}, {false, 1000, 3}, {true, 0, 1}, {true, 0, 1}}},
};

class Backoff : public ::testing::TestWithParam<BackoffCase> {};

TEST_P(Backoff, WaitsAsThePolicySays)
{
    CReconnectBackoff backoff({}, [] { return 0.5; });
    for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
        SCOPED_TRACE(i);
        const Step& step = GetParam().steps[i];
        EXPECT_EQ(backoff.NextDelay(step.healthy), milliseconds(step.waitMs));
        EXPECT_EQ(backoff.Attempt(), step.attempt);
    }
    backoff.Reset();
    EXPECT_EQ(backoff.NextDelay(false), milliseconds(500));  // a new session starts over
}

INSTANTIATE_TEST_SUITE_P(Sequences, Backoff, ::testing::ValuesIn(kCases),
                         [](const auto& instance) { return std::string(instance.param.name); });

TEST(Backoff, JitterSpreadsEachWaitByAQuarterEitherWay)
{
    for (const auto& [random, expected] : {std::pair{0.0, 750}, std::pair{0.999999, 1249}, std::pair{0.25, 875}}) {
        SCOPED_TRACE(random);
        CReconnectBackoff backoff({}, [r = random] { return r; });
        backoff.NextDelay(false);
        EXPECT_EQ(backoff.NextDelay(false), milliseconds(expected));  // the nominal 1 s
    }
    // The default source stays within the same bounds.
    CReconnectBackoff backoff;
    for (int i = 0; i < 100; ++i) {
        const milliseconds wait = backoff.NextDelay(false);
        backoff.Reset();
        EXPECT_GE(wait, milliseconds(375));
        EXPECT_LE(wait, milliseconds(625));
    }
}

// The session's own time limits, which tests shorten and nothing else may change unseen: the
// handshake's time-out, the keep-alive's ping and hang-up after silence, and what counts as healthy.
TEST(SessionTimings, AreTheProgramsUnlessATestSetsThem)
{
    const SessionTimings timings;
    EXPECT_EQ(timings.connectTimeoutSeconds, 20);
    EXPECT_EQ(timings.keepAlivePingSeconds, 30);
    EXPECT_EQ(timings.keepAliveHangupSeconds, 60);
    EXPECT_EQ(timings.healthyAfter, milliseconds(10000));
}

}  // namespace
}  // namespace zandrel
