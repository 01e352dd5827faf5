// The chat session against a server we did not write: Node.js with Debian's ws module
// (tests/wsserver/scripted_server.js), whose room numbers play scenes that real servers and
// networks produce. The scene is the room number modulo 100; each test has rooms of its own, so
// that the server's join log tells its joins apart from those of tests running beside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "base/Md5.h"
#include "session/ProtocolTexts.h"
#include "session/SessionStatus.h"
#include "support/SessionFixture.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

using namespace std::chrono_literals;
using test::ReceivedJoin;
using test::RecordedEvent;
using test::ScriptedServerJoins;
using test::ScriptedServerPort;
using test::Utf8ToAnsi;

const std::string kFragmented = "分片的消息，一二三四五六七八九十";

class IndependentServer : public test::SessionFixture {
protected:
    void SetUp() override
    {
        SessionFixture::SetUp();
        m_session.SetPort(ScriptedServerPort("ws"));
    }

    std::vector<std::string> LineTexts() const
    {
        std::vector<std::string> texts;
        for (const BarrageMessage& line : m_overlay.Lines())
            texts.push_back(line.m_strText);
        return texts;
    }
    // Waits until the server has logged `count` joins for `room`.
    static bool WaitForJoins(int room, std::size_t count, std::chrono::milliseconds timeout = 20s)
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (ScriptedServerJoins(room).size() < count) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }
};

struct MessageScene {
    int room;
    const char* what;
    std::vector<std::string> texts;  // UTF-8, after the join line and before "after"
};

class Messages : public IndependentServer, public ::testing::WithParamInterface<MessageScene> {};

// Every way of framing a message reaches the overlay whole, and the session goes on after it.
TEST_P(Messages, ArriveWholeAndInOrder)
{
    const MessageScene& scene = GetParam();
    m_session.SetRoom(scene.room);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine("after")) << "the session stalled on: " << scene.what;

    std::vector<std::string> expected = {texts::kJoinSuccess};
    for (const std::string& text : scene.texts)
        expected.push_back(Utf8ToAnsi(text));
    expected.push_back("after");
    EXPECT_EQ(LineTexts(), expected);

    const std::vector<ReceivedJoin> joins = ScriptedServerJoins(scene.room);
    ASSERT_EQ(joins.size(), 1u);
    EXPECT_TRUE(joins[0].valid) << joins[0].reason;
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, Messages,
    ::testing::Values(MessageScene{101, "uncompressed fragments", {kFragmented}},
                      MessageScene{102, "fragments the server would compress", {kFragmented}},
                      MessageScene{103, "one-byte fragments", {kFragmented}},
                      MessageScene{104, "pings between fragments", {kFragmented}},
                      MessageScene{106, "raw UTF-8, then the same escaped", {"直接发送的中文😀", "直接发送的中文😀"}}),
    [](const auto& instance) { return "room" + std::to_string(instance.param.room); });

TEST_F(IndependentServer, AMebibyteIn64ByteFragmentsArrivesWhole)
{
    m_session.SetRoom(105);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine("after", 60s));
    const std::vector<std::string> texts = LineTexts();
    ASSERT_EQ(texts.size(), 3u);
    // The server pads {"cmd":"cst","data":"","user":{"name":"观众","uid":"42"}} to 1 MiB with x.
    const std::size_t envelope = std::string(R"({"cmd":"cst","data":"","user":{"name":"观众","uid":"42"}})").size();
    EXPECT_EQ(texts[1], std::string((1 << 20) - envelope, 'x'));
}

TEST_F(IndependentServer, RawUtf8NamesBecomeTheProgramsCodePage)
{
    m_session.SetRoom(206);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine("after"));
    const std::vector<BarrageMessage> lines = m_overlay.Lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1].m_strName, Utf8ToAnsi("原样"));
    EXPECT_EQ(lines[1], lines[2]);  // raw and escaped give the same bytes
}

TEST_F(IndependentServer, NoCompressionExtensionIsOffered)
{
    m_session.SetRoom(112);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine("hello"));
    EXPECT_EQ(ScriptedServerJoins(112).at(0).extensions, "");
}

struct DropScene {
    int room;
    const char* before;  // the last line before the connection ends
};

class Drops : public IndependentServer, public ::testing::WithParamInterface<DropScene> {};

// However the connection ends after a join, the session shows the reconnect line and joins again
// with a fresh, valid request.
TEST_P(Drops, ReconnectWithAFreshJoin)
{
    const DropScene& scene = GetParam();
    SessionTimings timings;
    timings.keepAlivePingSeconds = 1;  // the silent scene needs the keep-alive to notice
    timings.keepAliveHangupSeconds = 2;
    m_session.SetTimings(timings);
    m_session.SetRoom(scene.room);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_overlay.WaitFor(
        [](const auto& events) {
            return std::count_if(events.begin(), events.end(), [](const RecordedEvent& e) {
                       return e.kind == RecordedEvent::Kind::Line && e.line.m_strCmd == "ack";
                   }) >= 2;
        },
        30s));
    StopOnUiThread();

    const std::vector<std::string> texts = LineTexts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], texts::kJoinSuccess);
    EXPECT_EQ(texts[1], scene.before);
    EXPECT_EQ(texts[2], texts::kReconnecting);
    EXPECT_EQ(texts[3], texts::kJoinSuccess);
    EXPECT_EQ(m_main.Count(RecordedEvent::Kind::Fail), 0u);

    // Seen from the server: every join valid, none sent twice.
    const std::vector<ReceivedJoin> joins = ScriptedServerJoins(scene.room);
    ASSERT_GE(joins.size(), 2u);
    std::set<std::string> distinct;
    for (const ReceivedJoin& join : joins) {
        EXPECT_TRUE(join.valid) << join.reason << ": " << join.text;
        distinct.insert(join.text);
    }
    EXPECT_EQ(distinct.size(), joins.size());
}

INSTANTIATE_TEST_SUITE_P(Scenes, Drops,
                         ::testing::Values(DropScene{109, "before reset"}, DropScene{110, "before silence"},
                                           DropScene{111, "before close"}),
                         [](const auto& instance) { return "room" + std::to_string(instance.param.room); });

struct StormScene {
    int room;
    bool acked;  // the server sends "ack" before it closes
};

class Storms : public IndependentServer, public ::testing::WithParamInterface<StormScene> {};

// A server that closes every connection at once is not hammered: the session backs off.
TEST_P(Storms, BackOffBetweenJoins)
{
    const StormScene& scene = GetParam();
    m_session.SetRoom(scene.room);
    ASSERT_TRUE(m_session.Start());
    // With 0.5 s doubling, give or take a quarter, the fourth join comes after at least 2.6 s.
    ASSERT_TRUE(WaitForJoins(scene.room, 4));
    StopOnUiThread();
    const std::vector<ReceivedJoin> joins = ScriptedServerJoins(scene.room);
    ASSERT_GE(joins.size(), 4u);
    for (std::size_t i = 2; i < joins.size(); ++i) {
        SCOPED_TRACE(i);
        // Each wait at least three quarters of twice the one before, measured at the server.
        const long long before = joins[i - 1].atMs - joins[i - 2].atMs;
        const long long now = joins[i].atMs - joins[i - 1].atMs;
        EXPECT_GE(now * 4, before * 2 * 3 * 3 / 4);
    }
    EXPECT_GE(joins[1].atMs - joins[0].atMs, 300);
    EXPECT_EQ(CountLines(texts::kJoinSuccess), scene.acked ? joins.size() : 0u);
    EXPECT_EQ(m_main.Count(RecordedEvent::Kind::Fail), 0u);
}

INSTANTIATE_TEST_SUITE_P(Scenes, Storms, ::testing::Values(StormScene{107, true}, StormScene{108, false}),
                         [](const auto& instance) { return "room" + std::to_string(instance.param.room); });

// What the main window's status line hears: each cycle's join, the server's confirmation, and each
// drop with the reconnect's number and wait, then nothing once the user has stopped.
TEST_F(IndependentServer, TheMainWindowHearsEachJoinConfirmationAndDrop)
{
    m_session.SetRoom(307);  // closes right after "ack"
    ASSERT_TRUE(m_session.Start());
    const auto statuses = [](const std::vector<RecordedEvent>& events) {
        std::vector<RecordedEvent> out;
        for (const RecordedEvent& e : events)
            if (e.kind == RecordedEvent::Kind::Status)
                out.push_back(e);
        return out;
    };
    ASSERT_TRUE(m_main.WaitFor([&](const auto& events) { return statuses(events).size() >= 7; }));
    StopOnUiThread();
    const std::vector<RecordedEvent> seen = statuses(m_main.Events());
    const WPARAM joining = static_cast<WPARAM>(SessionStatus::Joining);
    const WPARAM connected = static_cast<WPARAM>(SessionStatus::Connected);
    const WPARAM reconnecting = static_cast<WPARAM>(SessionStatus::Reconnecting);
    for (std::size_t i = 0; i + 3 <= 6; i += 3) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].wParam, joining);
        EXPECT_EQ(seen[i + 1].wParam, connected);
        EXPECT_EQ(seen[i + 2].wParam, reconnecting);
        EXPECT_EQ(ReconnectAttempt(seen[i + 2].lParam), static_cast<int>(i / 3 + 1));
        // 0.5 s, then 1 s, each give or take a quarter, in whole seconds rounded up.
        EXPECT_GE(ReconnectSeconds(seen[i + 2].lParam), 1);
        EXPECT_LE(ReconnectSeconds(seen[i + 2].lParam), static_cast<int>(i / 3 + 1));
    }
    EXPECT_EQ(seen[6].wParam, joining);
    EXPECT_EQ(m_main.Count(RecordedEvent::Kind::Fail), 0u);
}

TEST_F(IndependentServer, AUserStopCutsABackOffShort)
{
    m_session.SetRoom(207);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForJoins(207, 3));  // waiting about 2 s for the fourth
    StopOnUiThread(1s);
}

// Waits until the server has had `count` pings from clients in `room`.
bool WaitForPings(int room, std::size_t count, std::chrono::milliseconds timeout = 20s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (test::ScriptedServerPings(room).size() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// The keep-alive's pings make the socket writeable again; the join must not go out with them. A
// strict server refuses a second join on a connection, so a session that sent one would fail.
TEST_F(IndependentServer, AQuietRoomSeesOneJoinThroughManyKeepAlivePeriods)
{
    SessionTimings timings;
    timings.keepAlivePingSeconds = 1;
    timings.keepAliveHangupSeconds = 3;
    m_session.SetTimings(timings);
    m_session.SetRoom(417);
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine("quiet"));
    ASSERT_TRUE(WaitForPings(417, 3)) << "the keep-alive sent no pings into a quiet room";
    StopOnUiThread();

    const std::vector<ReceivedJoin> joins = ScriptedServerJoins(417);
    ASSERT_EQ(joins.size(), 1u) << "the server received another message: " << joins.back().text;
    EXPECT_TRUE(joins[0].valid) << joins[0].reason;
    EXPECT_EQ(m_main.Count(RecordedEvent::Kind::Fail), 0u);
    EXPECT_EQ(LineTexts(), (std::vector<std::string>{texts::kJoinSuccess, "quiet"}));
}

// Lines are proof of life: no ping while they arrive, pings once the room goes quiet.
TEST_F(IndependentServer, PingsFollowSilenceNotTheClock)
{
    SessionTimings timings;
    timings.keepAlivePingSeconds = 1;
    timings.keepAliveHangupSeconds = 3;
    m_session.SetTimings(timings);
    m_session.SetRoom(414);  // a line every 250 ms for 4 s after the join, then quiet
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForLine("now quiet"));
    ASSERT_TRUE(WaitForPings(414, 1)) << "no ping once the room was quiet";
    StopOnUiThread();

    const std::vector<ReceivedJoin> joins = ScriptedServerJoins(414);
    ASSERT_EQ(joins.size(), 1u);
    // The last line leaves the server 4 s after the join; the first ping may come a keep-alive
    // period (1 s, counted in whole seconds by the library) after that, not before.
    const std::vector<test::ReceivedPing> pings = test::ScriptedServerPings(414);
    EXPECT_GE(pings.front().atMs - joins[0].atMs, 4500) << "a ping while lines were arriving";
    EXPECT_EQ(m_main.Count(RecordedEvent::Kind::Fail), 0u);
}

// After a healthy connection (joined, and up for `healthyAfter`) the reconnect is immediate and the
// back-off starts over, however often it happens.
TEST_F(IndependentServer, TheReconnectAfterAHealthyConnectionIsImmediate)
{
    SessionTimings timings;
    timings.healthyAfter = 500ms;
    m_session.SetTimings(timings);
    m_session.SetRoom(416);  // up for 1.5 s after each join, then closed
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(WaitForJoins(416, 3, 30s));
    StopOnUiThread();
    std::size_t reconnects = 0;
    for (const RecordedEvent& e : m_main.Events()) {
        if (e.kind != RecordedEvent::Kind::Status || e.wParam != static_cast<WPARAM>(SessionStatus::Reconnecting))
            continue;
        ++reconnects;
        EXPECT_EQ(ReconnectAttempt(e.lParam), 1);
        EXPECT_EQ(ReconnectSeconds(e.lParam), 0);
    }
    EXPECT_GE(reconnects, 2u);
    // Each drop began an outage of its own, and the overlay said so each time.
    EXPECT_EQ(CountLines(texts::kReconnecting), reconnects);
}

struct SilentListener {
    const char* listener;
    const char* what;
};

class Handshakes : public IndependentServer, public ::testing::WithParamInterface<SilentListener> {};

// A handshake that never completes fails the cycle once the connect time-out is over.
TEST_P(Handshakes, ThatNeverCompleteFailTheCycle)
{
    SessionTimings timings;
    timings.connectTimeoutSeconds = 1;
    m_session.SetTimings(timings);
    m_session.SetPort(ScriptedServerPort(GetParam().listener));
    m_session.SetRoom(123);
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_session.Start());
    ASSERT_TRUE(m_main.WaitForCount(RecordedEvent::Kind::Fail, 1, 20s)) << GetParam().what;
    // At the configured time-out, counted in whole seconds by the library: not before it, and not
    // at the library's own default (5 s).
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 4s);
    EXPECT_EQ(m_sink.FailureReason(), texts::kConnectFailed);
    m_ui.RunSync([] {});
    EXPECT_EQ(m_overlay.Count(RecordedEvent::Kind::Hide), 1u);
    EXPECT_TRUE(m_overlay.Lines().empty());
}

INSTANTIATE_TEST_SUITE_P(Listeners, Handshakes,
                         ::testing::Values(SilentListener{"silent", "a listener that never answers"},
                                           SilentListener{"partial", "half a 101 reply, then silence"}),
                         [](const auto& instance) { return std::string(instance.param.listener); });

}  // namespace
}  // namespace zandrel
