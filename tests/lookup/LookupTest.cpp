// The lookup against the demo service's lookup listeners, one per kind of reply.

#include <gtest/gtest.h>

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
#include "support/TestServices.h"

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
        {"lookup.emptyport", true, false, 0, u""},
        {"lookup.bigport", true, false, 99999, u""},
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
    for (const char* listener : {"silent", "trickle"}) {
        SCOPED_TRACE(listener);
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
    CHttpRequest request;
    std::atomic<bool> result{true};
    const int before = test::ScriptedServerAccepted("silent");
    std::thread aborter([&] {
        if (test::WaitForScriptedServerAccepted("silent", before))  // the request waits on the server
            request.Abort();
    });
    WithinBound([&] { result = request.Get(url); }, std::chrono::seconds(5));
    aborter.join();
    EXPECT_FALSE(result);
    EXPECT_EQ(request.m_nStatus, -1);
    EXPECT_FALSE(request.Get(url));  // an aborted request stays aborted
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

}  // namespace
}  // namespace zandrel
