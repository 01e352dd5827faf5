// A name resolution that the waiter can give up on: what each resolver answer means, and that
// numeric hosts go to no resolver.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

#include "base/HostResolution.h"
#include "support/HeldResolver.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using Outcome = CPendingResolution::Outcome;

struct ResolutionCase {
    const char* host;
    const char* answer;  // what the resolver says
    Outcome outcome;
    const char* address;
    int resolverCalls;
};

TEST(HostResolution, WhatTheResolverSaysAndWhoIsAsked)
{
    const ResolutionCase cases[] = {
        {"chat.example", "10.0.0.5", Outcome::Resolved, "10.0.0.5", 1},
        {"chat.example", "", Outcome::Failed, "", 1},  // a name the resolver cannot find
        {"10.0.0.5", "", Outcome::Resolved, "10.0.0.5", 0},
        {"::1", "", Outcome::Resolved, "::1", 0},
        {"", "", Outcome::Failed, "", 1},
    };
    for (const ResolutionCase& c : cases) {
        SCOPED_TRACE(c.host);
        auto calls = std::make_shared<std::atomic<int>>(0);
        const auto pending = CPendingResolution::Start(
            [calls, answer = std::string(c.answer)](const std::string&) {
                ++*calls;
                return answer;
            },
            c.host);
        std::string address;
        EXPECT_EQ(pending->WaitUntil(address, std::chrono::steady_clock::now() + 10s), c.outcome);
        EXPECT_EQ(address, c.address);
        EXPECT_EQ(calls->load(), c.resolverCalls);
    }
}

// A resolver that never answers: a cancel or the deadline ends the wait, and the resolution
// finishes in the background once it does answer.
TEST(HostResolution, ACancelOrTheDeadlineEndsTheWait)
{
    const auto resolver = test::CHeldResolver::Create("10.0.0.5");
    const ResolveFunction blocked = resolver->Function();
    std::string address;
    const auto cancelled = CPendingResolution::Start(blocked, "chat.example");
    cancelled->Cancel();
    EXPECT_EQ(cancelled->Wait(address), Outcome::Cancelled);
    const auto late = CPendingResolution::Start(blocked, "chat.example");
    EXPECT_EQ(late->WaitUntil(address, std::chrono::steady_clock::now() + 100ms), Outcome::Failed);
    EXPECT_TRUE(address.empty());
    resolver->Release();
    EXPECT_EQ(late->Wait(address), Outcome::Resolved);  // what came in the end is still there
    EXPECT_EQ(address, "10.0.0.5");
}

}  // namespace
}  // namespace zandrel
