// The lookup against the demo service's lookup listeners, one per kind of reply.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lookup/ApplicationName.h"
#include "lookup/ChatServerLookup.h"
#include "lookup/ChatServerLookupTask.h"
#include "lookup/HttpRequest.h"
#include "support/HeldResolver.h"
#include "support/TestServices.h"
#include "support/Watchdog.h"

namespace zandrel {
namespace {

class Lookup : public ::testing::Test {
protected:
    void SetUp() override { m_saved = CurrentLookupSettings(); }
    void TearDown() override { CurrentLookupSettings() = m_saved; }

    static void PointAt(int port)
    {
        CurrentLookupSettings().host = "127.0.0.1:" + std::to_string(port);
        CurrentLookupSettings().timeoutSeconds = 2;
    }

    LookupSettings m_saved;
};

struct ListenerCase {
    const char* listener;
    bool ok;
    bool chatPort;  // the reply names the demo's chat port
    int port;       // otherwise this port
    std::u16string error;
};

TEST_F(Lookup, EveryKindOfReply)
{
    const int chat = test::DemoPort("main");
    const std::vector<ListenerCase> cases = {
        {"main", true, true, 0, u""},
        {"plain", true, false, test::DemoPort("plain"), u""},
        {"lookup.crlf", true, true, 0, u""},
        {"lookup.blanks", true, true, 0, u""},
        {"lookup.long", true, true, 0, u""},
        {"lookup.emptyport", false, false, 0, kLookupBadAddressText},
        {"lookup.bigport", false, false, 0, kLookupBadAddressText},
        {"lookup.nocolon", false, false, 0, kLookupFailedText},
        {"lookup.empty", false, false, 0, kLookupFailedText},
        {"lookup.leadingcolon", false, false, 0, kLookupFailedText},
        {"lookup.notfound", false, false, 0, kLookupFailedText},
        {"lookup.cutshort", false, false, 0, kLookupFailedText},
        {"lookup.slow", false, false, 0, kLookupFailedText},  // answers later than allowed
        {"lookup.huge", false, false, 0, kLookupFailedText},  // a valid address past 1 MiB of body
        {"lookup.twocolons", false, false, 0, kLookupBadAddressText},
        {"lookup.sign", false, false, 0, kLookupBadAddressText},
        {"lookup.letter", false, false, 0, kLookupBadAddressText},
        {"lookup.servererror", false, false, 0, kLookupBadAddressText},
    };
    for (const ListenerCase& c : cases) {
        SCOPED_TRACE(c.listener);
        PointAt(test::DemoPort(c.listener));
        std::string host;
        int port = -1;
        std::u16string error;
        EXPECT_EQ(GetChatServer(host, port, error), c.ok);
        EXPECT_EQ(error, c.error);
        if (c.ok) {
            EXPECT_EQ(host, "127.0.0.1");
            EXPECT_EQ(port, c.chatPort ? chat : c.port);
        }
    }
}

// The demo's slow listener answers after 6 s (its fixture's --slow-lookup-ms, beyond the 5 s that
// libwebsockets gives a waiting reply by default): a limit shorter than
// that fails, a longer one waits for the answer.
TEST_F(Lookup, ASlowServerIsWaitedForWithinTheLimitOnly)
{
    struct SlowCase {
        long limitSeconds;
        bool ok;
    };
    for (const SlowCase c : {SlowCase{2, false}, SlowCase{8, true}}) {
        SCOPED_TRACE(c.limitSeconds);
        PointAt(test::DemoPort("lookup.slow"));
        CurrentLookupSettings().timeoutSeconds = c.limitSeconds;
        std::string host;
        int port = -1;
        std::u16string error;
        const auto started = std::chrono::steady_clock::now();
        EXPECT_EQ(GetChatServer(host, port, error), c.ok);
        const auto took = std::chrono::steady_clock::now() - started;
        if (c.ok) {
            EXPECT_EQ(port, test::DemoPort("main"));
            EXPECT_GE(took, std::chrono::milliseconds(5900));  // the answer came when it was due
        } else {
            EXPECT_EQ(error, kLookupFailedText);
            EXPECT_LT(took, std::chrono::milliseconds(5900));  // the limit ended it, not the answer
        }
    }
}

// The program's limit, which tests shorten and nothing else may change unseen.
TEST(LookupDefaults, TheLimitIsTwentySecondsInAll)
{
    EXPECT_EQ(CHttpRequest::kDefaultTimeoutSeconds, 20);
    EXPECT_EQ(LookupSettings{}.timeoutSeconds, 20);
    EXPECT_EQ(CHttpRequest{}.m_nTimeoutSeconds, 20);
    EXPECT_EQ(LookupSettings{}.host, "127.0.0.1:8090");
}

TEST_F(Lookup, AServerThatIsDown)
{
    PointAt(test::ClosedPort());
    std::string host;
    int port = -1;
    std::u16string error;
    EXPECT_FALSE(GetChatServer(host, port, error));
    EXPECT_EQ(error, kLookupFailedText);
}

TEST_F(Lookup, TheRequestCarriesTheExecutablesNameAsUserAgent)
{
    EXPECT_EQ(ApplicationName(), "lookup_tests");
    CHttpRequest request;
    ASSERT_TRUE(request.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("main")) + "/agent"));
    EXPECT_EQ(request.m_strResponse, "lookup_tests");
    EXPECT_EQ(request.m_nStatus, 200);
}

TEST_F(Lookup, AFailedRequestLeavesNoBody)
{
    CHttpRequest request;
    request.m_nTimeoutSeconds = 2;
    EXPECT_FALSE(request.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("lookup.cutshort")) + "/"));
    EXPECT_TRUE(request.m_strResponse.empty());
    EXPECT_EQ(request.m_nStatus, -1);

    ASSERT_TRUE(request.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("main")) + "/nothing-here"));
    EXPECT_EQ(request.m_nStatus, 404);  // any status counts as received
    EXPECT_EQ(request.m_strResponse, "not found\n");
}

// Servers we did not write that never finish: the total limit ends the lookup, however the server
// spends the time.
TEST_F(Lookup, ServersThatNeverFinishFailWithinTheTotalLimit)
{
    test::CWatchdog watchdog(std::chrono::seconds(20), "a lookup of a server that never finishes");
    for (const char* listener : {"silent", "trickle"}) {
        SCOPED_TRACE(listener);
        watchdog.Note(listener);
        PointAt(test::ScriptedServerPort(listener));
        std::string host;
        int port = -1;
        std::u16string error;
        EXPECT_FALSE(GetChatServer(host, port, error));
        EXPECT_EQ(error, kLookupFailedText);
    }
}

// Runs `work` on a thread of its own and waits for it; a wait beyond `bound` ends the test program
// (the thread still uses the test's objects, so going on would not be safe).
void WithinBound(const std::function<void()>& work, std::chrono::seconds bound)
{
    auto finished = std::make_shared<std::promise<void>>();
    std::future<void> done = finished->get_future();
    std::thread([work, finished] {
        work();
        finished->set_value();
    }).detach();
    if (done.wait_for(bound) != std::future_status::ready) {
        std::fprintf(stderr, "FATAL: did not end within %lld s\n", static_cast<long long>(bound.count()));
        std::abort();
    }
}

TEST_F(Lookup, AnAbortEndsARequestAtOnce)
{
    const std::string url = "http://127.0.0.1:" + std::to_string(test::ScriptedServerPort("silent")) + "/";
    // The median of a few: libcurl wakes by itself now and then (a fifth of a second at most), and
    // the abort must not wait for that.
    std::vector<double> waits;
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        CHttpRequest request;
        std::atomic<bool> result{true};
        std::chrono::steady_clock::time_point aborted;
        const int before = test::ScriptedServerAccepted("silent");
        std::thread aborter([&] {
            if (test::WaitForScriptedServerAccepted("silent", before)) {     // the request waits on the server
                std::this_thread::sleep_for(std::chrono::milliseconds(20));  // well inside its poll
                aborted = std::chrono::steady_clock::now();
                request.Abort();
            }
        });
        WithinBound([&] { result = request.Get(url); }, std::chrono::seconds(5));
        const auto ended = std::chrono::steady_clock::now();
        aborter.join();
        EXPECT_FALSE(result);
        EXPECT_EQ(request.m_nStatus, -1);
        EXPECT_FALSE(request.Get(url));  // an aborted request stays aborted
        waits.push_back(std::chrono::duration<double, std::milli>(ended - aborted).count());
    }
    std::sort(waits.begin(), waits.end());
    std::printf("abort to end of Get, median: %.2f ms\n", waits[waits.size() / 2]);
    EXPECT_LT(waits[waits.size() / 2], 100.0) << "the abort waited for libcurl to wake by itself";
}

TEST_F(Lookup, TheTaskHandsOverItsResultOrNothingOnceCancelled)
{
    CChatServerLookupTask task;
    std::promise<CChatServerLookupTask::Result> answered;
    PointAt(test::DemoPort("main"));
    task.Start([&](const CChatServerLookupTask::Result& result) { answered.set_value(result); });
    const CChatServerLookupTask::Result result = answered.get_future().get();
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.host, "127.0.0.1");
    EXPECT_EQ(result.port, test::DemoPort("main"));

    PointAt(test::ScriptedServerPort("silent"));
    CurrentLookupSettings().timeoutSeconds = 60;
    std::atomic<int> calls{0};
    const int before = test::ScriptedServerAccepted("silent");
    task.Start([&](const CChatServerLookupTask::Result&) { ++calls; });
    ASSERT_TRUE(test::WaitForScriptedServerAccepted("silent", before));  // it waits on the server
    WithinBound([&] { task.Cancel(); }, std::chrono::seconds(5));
    EXPECT_EQ(calls.load(), 0);
}

// A cancel, and the end of the task with its window, never wait for the name resolver; nothing of
// the abandoned lookup arrives later, not even once the resolver answers.
TEST_F(Lookup, CancellingNeverWaitsForTheResolver)
{
    // Shared with the resolver threads, which may outlive the test's waits.
    const auto resolver = test::CHeldResolver::Create();
    CurrentLookupSettings().host = "lookup.example:" + std::to_string(test::DemoPort("main"));
    CurrentLookupSettings().resolve = resolver->Function();
    std::atomic<int> calls{0};
    for (const bool byDestructor : {false, true}) {
        SCOPED_TRACE(byDestructor);
        auto task = std::make_unique<CChatServerLookupTask>();
        task->Start([&](const CChatServerLookupTask::Result&) { ++calls; });
        ASSERT_TRUE(resolver->WaitForCall(byDestructor ? 1 : 0, std::chrono::seconds(10)));
        const auto started = std::chrono::steady_clock::now();
        WithinBound([&] { byDestructor ? task.reset() : task->Cancel(); }, std::chrono::seconds(5));
        const auto took = std::chrono::steady_clock::now() - started;
        std::printf("cancel while the resolver hangs: %.2f ms\n",
                    std::chrono::duration<double, std::milli>(took).count());
        EXPECT_LT(took, std::chrono::milliseconds(500)) << "the cancel waited for the resolver";
    }
    resolver->Release();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // time for a stray result to show
    EXPECT_EQ(calls.load(), 0);
}

// A numeric host goes to no resolver; a name goes to the one the settings give, and its address is
// where the request goes.
TEST_F(Lookup, NamesGoThroughTheResolverNumbersDoNot)
{
    const auto resolver = test::CHeldResolver::Create();
    resolver->Release();
    CurrentLookupSettings().resolve = resolver->Function();
    for (const std::string& host : {std::string("127.0.0.1"), std::string("lookup.example")}) {
        SCOPED_TRACE(host);
        CurrentLookupSettings().host = host + ":" + std::to_string(test::DemoPort("main"));
        std::string chatHost;
        int port = -1;
        std::u16string error;
        EXPECT_TRUE(GetChatServer(chatHost, port, error));
        EXPECT_EQ(port, test::DemoPort("main"));
    }
    EXPECT_EQ(resolver->Calls(), 1);
}

}  // namespace
}  // namespace zandrel
