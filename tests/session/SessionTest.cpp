// The chat session against the demo chat service, with recording windows in place of the overlay
// and the main window, and a test thread in place of the UI thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <libwebsockets.h>

#include "Barrage.h"
#include "DemoPorts.h"
#include "Globals.h"
#include "JoinRequest.h"
#include "ProtocolTexts.h"
#include "RecordingWindow.h"
#include "RoomContent.h"
#include "TestUiThread.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using test::RecordedEvent;
using test::RecordingWindow;
using test::Utf8ToAnsi;
using Kind = RecordedEvent::Kind;

class Session : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hBubbleWnd = m_overlay.Handle();
        g_hMainWnd = m_main.Handle();
        m_session.SetLogLevel(LLL_ERR);
        m_session.SetHost("127.0.0.1");
        m_session.SetPort(test::DemoPort("main"));
    }
    void TearDown() override
    {
        StopOnUiThread();
        g_hBubbleWnd = HWND::Null;
        g_hMainWnd = HWND::Null;
    }

    // The stop as the main window makes it: on the UI thread, which the worker may be waiting on.
    // False if it did not return within the bound (it must never hang).
    bool StopOnUiThread()
    {
        auto stopped = std::async(std::launch::async, [this] { m_ui.RunSync([this] { m_session.UserStop(); }); });
        return stopped.wait_for(10s) == std::future_status::ready;
    }

    static bool HasLine(const std::vector<RecordedEvent>& events, const std::string& text)
    {
        return std::any_of(events.begin(), events.end(),
                           [&](const RecordedEvent& e) { return e.kind == Kind::Line && e.line.m_strText == text; });
    }
    bool WaitForLine(const std::string& text) const
    {
        return m_overlay.WaitFor([&](const auto& events) { return HasLine(events, text); });
    }

    test::TestUiThread m_ui;
    RecordingWindow m_overlay;
    RecordingWindow m_main;
    CBarrage m_session;
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

    ASSERT_TRUE(StopOnUiThread());
    EXPECT_EQ(m_overlay.Lines().size(), script.size() + 2);  // no reconnect line after a user stop
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
}

struct BigCase {
    const char* listener;
    int room;
    const char* after;
};

TEST_F(Session, A100KiBMessageArrivesWholeCompressedOrNot)
{
    const std::string expected = Utf8ToAnsi(demo::BigLine(100 * 1024).text);
    for (const BigCase& c : {BigCase{"main", 905, "after fragments"}, BigCase{"main", 906, "after whole"},
                             BigCase{"plain", 905, "after fragments"}, BigCase{"plain", 906, "after whole"}}) {
        SCOPED_TRACE(std::string(c.listener) + " " + std::to_string(c.room));
        m_overlay.Clear();
        m_session.SetPort(test::DemoPort(c.listener));
        m_session.SetRoom(c.room);
        ASSERT_TRUE(m_session.Start());
        ASSERT_TRUE(WaitForLine(c.after));
        const std::vector<BarrageMessage> lines = m_overlay.Lines();
        ASSERT_EQ(lines.size(), 3u);
        EXPECT_EQ(lines[1].m_strText.size(), expected.size());
        EXPECT_TRUE(lines[1].m_strText == expected);
        ASSERT_TRUE(StopOnUiThread());
    }
}

TEST_F(Session, OversizedMessagesAndGarbageAreSkippedAndTheSessionGoesOn)
{
    for (const auto& [room, after] : {std::pair{904, "after huge"}, std::pair{903, "after garbage"}}) {
        SCOPED_TRACE(room);
        m_overlay.Clear();
        m_session.SetRoom(room);
        ASSERT_TRUE(m_session.Start());
        ASSERT_TRUE(WaitForLine(after));
        const std::vector<BarrageMessage> lines = m_overlay.Lines();
        ASSERT_EQ(lines.size(), 2u);  // the join line, then the line after the bad ones
        EXPECT_EQ(lines[0].m_strCmd, "ack");
        ASSERT_TRUE(StopOnUiThread());
        EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
    }
}

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
        return std::count_if(events.begin(), events.end(),
                             [](const RecordedEvent& e) { return e.kind == Kind::Line && e.line.m_strCmd == "ack"; }) >= 3;
    }));
    ASSERT_TRUE(StopOnUiThread());

    const std::vector<BarrageMessage> lines = m_overlay.Lines();
    // ack, line 1, line 2, reconnect; ack, line 1, line 2, reconnect; ack ...
    ASSERT_GE(lines.size(), 9u);
    for (std::size_t cycle = 0; cycle < 2; ++cycle) {
        const std::size_t base = cycle * 4;
        EXPECT_EQ(lines[base].m_strText, texts::kJoinSuccess);
        EXPECT_EQ(lines[base + 1].m_strText, Utf8ToAnsi(demo::ScriptedLines()[0].text));
        EXPECT_EQ(lines[base + 2].m_strText, Utf8ToAnsi(demo::ScriptedLines()[1].text));
        EXPECT_EQ(lines[base + 3].m_strName, texts::kSystemMessage);
        EXPECT_EQ(lines[base + 3].m_strText, texts::kReconnecting);
        EXPECT_EQ(lines[base + 3].m_strCmd, "");
    }
    EXPECT_EQ(lines[8].m_strText, texts::kJoinSuccess);
    std::lock_guard lock(uidsMutex);
    EXPECT_EQ(std::set<std::string>(uids.begin(), uids.end()).size(), uids.size());  // a new uid per join
    EXPECT_EQ(m_main.Count(Kind::Fail), 0u);
}

TEST_F(Session, RefusalFailsOnceWithoutReconnecting)
{
    m_session.SetRoom(902);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 1));
    EXPECT_EQ(g_strLastError, texts::kJoinRefused);
    EXPECT_TRUE(m_session.Failed());
    m_ui.RunSync([] {});  // anything the worker sent before the report has been handled
    EXPECT_TRUE(m_overlay.Lines().empty());
    EXPECT_EQ(m_overlay.Count(Kind::Hide), 1u);
    EXPECT_EQ(m_overlay.Count(Kind::Show), 0u);
    const RecordedEvent fail = m_main.Events().front();
    EXPECT_EQ(fail.wParam, 1u);
    EXPECT_EQ(fail.lParam, 0);

    // The failed worker idles: no second report however long it is left alone.
    EXPECT_FALSE(m_main.WaitForCount(Kind::Fail, 2, 300ms));
}

TEST_F(Session, StartWhileTheThreadIsAliveStartsNoSecondThreadButANewCycle)
{
    m_session.SetRoom(902);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 1));
    const std::thread::id worker = m_session.ThreadId();
    ASSERT_TRUE(m_session.Start());
    EXPECT_EQ(m_session.ThreadId(), worker);
    EXPECT_FALSE(m_session.Failed());
    ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 2));  // the idle worker ran a new cycle
}

TEST_F(Session, ConnectionsThatCannotBeMadeFailWithTheConnectText)
{
    const int closed = test::ClosedPort();
    for (const auto& [host, port] : {std::pair<std::string, int>{"no-such-host.invalid", 80},
                                     std::pair<std::string, int>{"127.0.0.1", closed}}) {
        SCOPED_TRACE(host);
        m_main.Clear();
        m_overlay.Clear();
        m_session.SetHost(host);
        m_session.SetPort(port);
        m_session.SetRoom(123);
        ASSERT_TRUE(m_session.Start());
        // A resolver that cannot reach its server may take a while to give up on the name.
        ASSERT_TRUE(m_main.WaitForCount(Kind::Fail, 1, 90s));
        EXPECT_EQ(g_strLastError, texts::kConnectFailed);
        m_ui.RunSync([] {});
        EXPECT_EQ(m_overlay.Count(Kind::Show), 0u);
        EXPECT_EQ(m_overlay.Count(Kind::Hide), 1u);
        EXPECT_TRUE(m_overlay.Lines().empty());
        ASSERT_TRUE(StopOnUiThread());
    }
}

TEST_F(Session, UserStopDuringAFloodReturnsPromptlyAndKeepsOrder)
{
    m_session.SetRoom(907);
    for (int round = 0; round < 15; ++round) {
        SCOPED_TRACE(round);
        m_overlay.Clear();
        ASSERT_TRUE(m_session.Start());
        ASSERT_TRUE(m_overlay.WaitForCount(Kind::Line, 30));
        ASSERT_TRUE(StopOnUiThread());
        const std::vector<BarrageMessage> lines = m_overlay.Lines();
        for (std::size_t i = 1; i < lines.size(); ++i)
            ASSERT_EQ(lines[i].m_strText, Utf8ToAnsi("刷屏第 " + std::to_string(i) + " 条"));
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
