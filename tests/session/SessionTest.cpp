// The chat session against the demo chat service, with recording windows in place of the overlay
// and the main window, and a test thread in place of the UI thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <future>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <libwebsockets.h>

#include "demo/RoomContent.h"
#include "session/Barrage.h"
#include "session/JoinRequest.h"
#include "session/ProtocolTexts.h"
#include "support/HeldResolver.h"
#include "support/ParamNames.h"
#include "support/RecordingWindow.h"
#include "support/SessionFixture.h"
#include "support/TestServices.h"
#include "support/TestUiThread.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using test::RecordedEvent;
using test::Utf8ToAnsi;

class Session : public test::SessionFixture {
protected:
    void SetUp() override
    {
        SessionFixture::SetUp();
        m_session.SetPort(test::DemoPort("main"));
    }
};

TEST_F(Session, JoinAckShowsTheOverlayThenLinesArriveInOrder)
{
    m_session.SetRoom(900);
    ASSERT_TRUE(m_session.Start());
    const auto& script = demo::ScriptedLines();
    ASSERT_TRUE(m_overlay.WaitForCount(Kind::Line, script.size() + 2));  // join line, script, gift

    const std::vector<RecordedEvent> events = m_overlay.Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0].kind, Kind::Line);
    EXPECT_EQ(events[0].line.m_strCmd, "ack");
    EXPECT_EQ(events[0].line.m_strName, texts::kSystemInfo);
    EXPECT_EQ(events[0].line.m_strText, texts::kJoinSuccess);
    EXPECT_EQ(events[1].kind, Kind::Show);
    EXPECT_EQ(events[2].kind, Kind::Topmost);

    const std::vector<BarrageMessage> lines = m_overlay.Lines();
    for (std::size_t i = 0; i < script.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i + 1].m_strCmd, "cst");
        EXPECT_EQ(lines[i + 1].m_strName, Utf8ToAnsi(script[i].name));
        EXPECT_EQ(lines[i + 1].m_strUid, script[i].uid);
        EXPECT_EQ(lines[i + 1].m_strText, Utf8ToAnsi(script[i].text));
    }
    const BarrageMessage& gift = lines[script.size() + 1];
    EXPECT_EQ(gift.m_strCmd, "gift");
    EXPECT_EQ(gift.m_strName, Utf8ToAnsi(demo::ScriptedGift().name));
    EXPECT_EQ(gift.m_strUid, demo::ScriptedGift().uid);
    EXPECT_EQ(gift.m_strText, texts::kGiftText);

    StopOnUiThread();
    EXPECT_EQ(m_overlay.Lines().size(), script.size() + 2);  // no reconnect line after a user stop
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
}

struct RoomCase {
    const char* listener;  // the demo's listener: "main" offers compression, "plain" does not
    int room;
    const char* after;  // the line that follows the room's special messages
    bool bigLine;       // a 100 KiB line comes before it; otherwise only messages to skip
};

class DemoRooms : public Session, public ::testing::WithParamInterface<RoomCase> {};

// Long messages arrive whole, in fragments or not, compressed or not; oversized ones and garbage are
// skipped; the session goes on after each.
TEST_P(DemoRooms, ArriveWholeOrAreSkippedAndTheSessionGoesOn)
{
    const RoomCase& c = GetParam();
    m_session.SetPort(test::DemoPort(c.listener));
    m_session.SetRoom(c.room);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine(c.after));
    const std::vector<BarrageMessage> lines = m_overlay.Lines();
    ASSERT_EQ(lines.size(), c.bigLine ? 3u : 2u);
    EXPECT_EQ(lines[0].m_strCmd, "ack");
    if (c.bigLine) {
        const std::string expected = Utf8ToAnsi(demo::BigLine(100 * 1024).text);
        EXPECT_EQ(lines[1].m_strText.size(), expected.size());
        EXPECT_TRUE(lines[1].m_strText == expected);
    }
    StopOnUiThread();
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rooms, DemoRooms,
    ::testing::Values(RoomCase{"main", 905, "after fragments", true}, RoomCase{"main", 906, "after whole", true},
                      RoomCase{"plain", 905, "after fragments", true}, RoomCase{"plain", 906, "after whole", true},
                      RoomCase{"main", 904, "after huge", false}, RoomCase{"main", 903, "after garbage", false}),
    [](const auto& instance) { return std::string(instance.param.listener) + std::to_string(instance.param.room); });

TEST_F(Session, ADropShowsTheReconnectLineAndJoinsAgainWithANewUid)
{
    std::mutex uidsMutex;
    std::vector<std::string> uids;
    m_session.SetUidSource([&] {
        std::lock_guard lock(uidsMutex);
        uids.push_back(NewUid());
        return uids.back();
    });
    m_session.SetRoom(9102);  // "ack", two lines, then the server closes
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_overlay.WaitFor([](const auto& events) {
        return std::count_if(events.begin(), events.end(), [](const RecordedEvent& e) {
                   return e.kind == Kind::Line && e.line.m_strCmd == "ack";
               }) >= 3;
    }));
    StopOnUiThread();

    const std::vector<BarrageMessage> lines = m_overlay.Lines();
    // ack, line 1, line 2, reconnect; ack, line 1, line 2; ack ... The connections are short, so
    // the drops after the first belong to the same outage, which the overlay tells of once (the
    // status line counts the attempts).
    ASSERT_GE(lines.size(), 8u);
    for (const std::size_t base : {std::size_t{0}, std::size_t{4}}) {
        EXPECT_EQ(lines[base].m_strText, texts::kJoinSuccess);
        EXPECT_EQ(lines[base + 1].m_strText, Utf8ToAnsi(demo::ScriptedLines()[0].text));
        EXPECT_EQ(lines[base + 2].m_strText, Utf8ToAnsi(demo::ScriptedLines()[1].text));
    }
    EXPECT_EQ(lines[3].m_strName, texts::kSystemMessage);
    EXPECT_EQ(lines[3].m_strText, texts::kReconnecting);
    EXPECT_EQ(lines[3].m_strCmd, "");
    EXPECT_EQ(lines[3].m_kind, LineKind::Own);
    EXPECT_EQ(lines[7].m_strText, texts::kJoinSuccess);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const BarrageMessage& l) { return l.m_strText == texts::kReconnecting; }),
              1);
    std::lock_guard lock(uidsMutex);
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), uids.size());  // a new uid per join
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
}

TEST_F(Session, RefusalFailsOnceWithoutReconnecting)
{
    m_session.SetRoom(902);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 1));
    EXPECT_EQ(m_sink.FailureReason(), texts::kJoinRefused);
    EXPECT_TRUE(m_session.Failed());
    m_ui.RunSync([] {});  // anything the worker sent before the report has been handled
    EXPECT_TRUE(m_overlay.Lines().empty());
    EXPECT_EQ(m_overlay.Count(Kind::Hide), 1u);
    EXPECT_EQ(m_overlay.Count(Kind::Show), 0u);
    const std::vector<RecordedEvent> mainEvents = m_main.Events();
    const auto fail =
        std::find_if(mainEvents.begin(), mainEvents.end(), [](const RecordedEvent& e) { return e.kind == Kind::Fail; });
    ASSERT_NE(fail, mainEvents.end());
    EXPECT_EQ(fail->wParam, 1u);
    EXPECT_EQ(fail->lParam, 0);

    // The failed worker idles: no second report however long it is left alone.
    EXPECT_FALSE(m_main.WaitForCount(Kind::Fail, 2, 300ms));
}

TEST_F(Session, AStartAnsweringAFailureReportIsNotUndoneByTheWorkerGoingIdle)
{
    // Without a dispatcher the failure report reaches the main window on the worker itself, so the
    // worker can be held right after its report while this (the owner's) thread starts the session
    // again: the order that a Start answering the report can meet in the application.
    InstallDispatcher(nullptr);
    std::promise<void> reported;
    std::promise<void> restarted;
    std::shared_future<void> release = restarted.get_future().share();
    bool first = true;
    m_main.SetOnMessage([&](RecordedEvent::Kind kind) {
        if (kind != Kind::Fail || !std::exchange(first, false))
            return;
        reported.set_value();
        release.wait();
    });
    m_session.SetRoom(902);
    ASSERT_TRUE(m_session.Start());
    reported.get_future().wait();
    const std::thread::id worker = m_session.ThreadId();
    ASSERT_TRUE(m_session.Start());
    EXPECT_EQ(m_session.ThreadId(), worker);  // no second thread
    EXPECT_FALSE(m_session.Failed());
    restarted.set_value();
    EXPECT_TRUE(m_main.WaitForCount(Kind::Fail, 2));  // the idle worker ran a new cycle
}

class Unreachable : public Session, public ::testing::WithParamInterface<const char*> {};

// A host that no resolver knows, and a port where nothing listens.
TEST_P(Unreachable, ConnectionsFailWithTheConnectText)
{
    const std::string host = GetParam();
    m_session.SetHost(host);
    m_session.SetPort(host == "127.0.0.1" ? test::ClosedPort() : 80);
    m_session.SetRoom(123);
    ASSERT_TRUE(m_session.Start());
    // A resolver that cannot reach its server may take a while to give up on the name.
    ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 1, 90s));
    EXPECT_EQ(m_sink.FailureReason(), texts::kConnectFailed);
    m_ui.RunSync([] {});
    EXPECT_EQ(m_overlay.Count(Kind::Show), 0u);
    EXPECT_EQ(m_overlay.Count(Kind::Hide), 1u);
    EXPECT_TRUE(m_overlay.Lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Hosts, Unreachable, ::testing::Values("no-such-host.invalid", "127.0.0.1"),
                         [](const auto& instance) { return test::TestName(instance.param); });

TEST_F(Session, HostNamesGoThroughTheResolverAndAStopDoesNotWaitForIt)
{
    const auto resolver = test::CHeldResolver::Create("127.0.0.1");
    m_session.SetResolver(resolver->Function());
    m_session.SetHost("chat.example");
    m_session.SetRoom(900);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(resolver->WaitForCall(0, 10s));
    const auto before = std::chrono::steady_clock::now();
    StopOnUiThread(5s);  // ends the test program if the stop waits for the resolver
    std::printf("stop while the resolver hangs: %.1f ms\n",
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
    EXPECT_TRUE(m_overlay.Lines().empty());
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);

    // Let it answer: the next session connects through it.
    resolver->Release();
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine(texts::kJoinSuccess));
}

// A stop may come at any moment of a cycle's start, also before the cycle has made its
// resolution cancellable; it must still not wait for a resolver that never answers.
TEST_F(Session, AStopAtAnyMomentOfAStartDoesNotWaitForTheResolver)
{
    const auto resolver = test::CHeldResolver::Create("");  // never released while the session runs
    m_session.SetResolver(resolver->Function());
    m_session.SetHost("chat.example");
    m_session.SetRoom(900);
    std::mt19937 random(12345);
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(m_session.Start());
        // From at once to well after the context exists: the stop lands all over the start.
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random)));
        StopOnUiThread(5s);
    }
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
    resolver->Release();
}

TEST_F(Session, AHostTheResolverCannotFindFailsTheCycle)
{
    m_session.SetResolver([](const std::string&) { return std::string(); });
    m_session.SetHost("chat.example");
    m_session.SetRoom(900);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 1));
    EXPECT_EQ(m_sink.FailureReason(), texts::kConnectFailed);
}

TEST_F(Session, UserStopDuringAFloodReturnsPromptlyAndKeepsOrder)
{
    m_session.SetRoom(907);
    for (int round = 0; round < 15; ++round) {
        SCOPED_TRACE(round);
        m_overlay.Clear();
        ASSERT_TRUE(m_session.Start());
        ASSERT_TRUE(m_overlay.WaitForCount(Kind::Line, 30));
        StopOnUiThread();
        const std::vector<BarrageMessage> lines = m_overlay.Lines();
        // After the join: the numbered lines and the repeats, each in its own order, none lost.
        unsigned long numbered = 0;
        unsigned long repeats = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const demo::ChatLine expected = lines[i].m_strName == Utf8ToAnsi(demo::FloodNumbered(1).name)
                                                ? demo::FloodNumbered(++numbered)
                                                : demo::FloodRepeat(++repeats);
            ASSERT_EQ(lines[i].m_strText, Utf8ToAnsi(expected.text)) << i;
            ASSERT_EQ(lines[i].m_strName, Utf8ToAnsi(expected.name)) << i;
        }
        EXPECT_GE(numbered, 1u);
        EXPECT_NE(lines.back().m_strName, texts::kSystemMessage);
        EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
    }
}

TEST_F(Session, EveryCycleSendsAFreshJoinRequest)
{
    const std::int32_t now = CurrentTimestamp();
    m_session.SetClock([now] { return now; });
    m_session.SetRoom(-5);
    const std::string first = m_session.BuildJoinRequest();
    const std::string second = m_session.BuildJoinRequest();
    EXPECT_NE(first, second);
    EXPECT_NE(first.find("\"name\" : \"live-5\""), std::string::npos);
    EXPECT_NE(first.find("\"timestamp\" : " + std::to_string(now) + ","), std::string::npos);

    m_session.SetUidSource([] { return std::string("6F9619FF-8B86-D011-B42D-00C04FC964FF"); });
    EXPECT_EQ(m_session.BuildJoinRequest(), BuildJoinRequest(-5, "6F9619FF-8B86-D011-B42D-00C04FC964FF", now));
}

}  // namespace
}  // namespace zandrel
