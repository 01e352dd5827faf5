#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Globals.h"
#include "ProtocolTexts.h"
#include "ServerTextFixture.h"

namespace zandrel {
namespace {

using test::RecordedEvent;

struct Line {
    std::string cmd, name, uid, text;
};

struct HandlerCase {
    const char* label;
    std::string input;
    std::vector<Line> lines;
    bool shown = false;
    bool refused = false;
};

const std::string kGift = texts::kGiftText;
const std::string kSysInfo = texts::kSystemInfo;
const std::string kJoined = texts::kJoinSuccess;

const std::vector<HandlerCase> kDecisionTable = {
    {"chat line", R"({"cmd":"cst","data":"hi","user":{"name":"a","uid":"7"}})", {{"cst", "a", "7", "hi"}}},
    {"chat without user", R"({"cmd":"cst","data":"hi"})", {{"cst", "", "", "hi"}}},
    {"empty chat text is still sent", R"({"cmd":"cst","data":""})", {{"cst", "", "", ""}}},
    {"cst without data", R"({"cmd":"cst"})", {}},
    {"cst with null data", R"({"cmd":"cst","data":null})", {}},
    {"cst with empty object data", R"({"cmd":"cst","data":{}})", {}},
    {"other cmd with data", R"({"cmd":"other","data":"hi"})", {}},
    {"gift beats cst", R"({"cmd":"cst","amount":"1","data":"hi","user":{"name":"a"}})", {{"cst", "a", "", kGift}}},
    {"gift beats ack", R"({"cmd":"ack","amount":"1"})", {{"ack", "", "", kGift}}},
    {"gift with uid", R"({"cmd":"gift","amount":"1","user":{"name":"b","uid":"9"}})", {{"gift", "b", "9", kGift}}},
    {"amount 2 is a chat line", R"({"cmd":"cst","amount":"2","data":"hi"})", {{"cst", "", "", "hi"}}},
    {"gift without cmd is ignored", R"({"amount":"1","user":{"name":"a"}})", {}},
    {"gift with null cmd is ignored", R"({"cmd":null,"amount":"1"})", {}},
    {"ack", R"({"cmd":"ack"})", {{"ack", kSysInfo, "", kJoined}}, true},
    {"ack ignores data and user", R"({"cmd":"ack","data":"x","user":{"name":"a"}})", {{"ack", kSysInfo, "", kJoined}}, true},
    {"ACK is not ack", R"({"cmd":"ACK"})", {}},
    {"rej", R"({"cmd":"rej"})", {}, false, true},
    {"rej with data", R"({"cmd":"rej","data":"x"})", {}, false, true},
    {"boolean cmd", R"({"cmd":true,"amount":"1"})", {{"true", "", "", kGift}}},
    {"boolean data", R"({"cmd":"cst","data":false})", {{"cst", "", "", "false"}}},
    {"empty object", "{}", {}},
    {"empty array", "[]", {}},
    {"null", "null", {}},
    {"not JSON", "hello world", {}},
    {"truncated JSON", R"({"cmd":"cst","data":"h)", {}},
    {"comments are allowed", "/* c */ {\"cmd\":\"cst\", // x\n \"data\":\"hi\"}", {{"cst", "", "", "hi"}}},
    {"trailing text after the value is ignored", R"({"cmd":"cst","data":"hi"} trailing)", {{"cst", "", "", "hi"}}},
};

class ServerText : public test::ServerTextFixture {
protected:
    void Handle(const std::string& text) { HandleServerText(text.data(), text.size()); }
};

TEST_F(ServerText, DecisionTable)
{
    for (const HandlerCase& c : kDecisionTable) {
        SCOPED_TRACE(c.label);
        const std::vector<BarrageMessage> lines = Deliver(c.input);
        ASSERT_EQ(lines.size(), c.lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].m_strCmd, c.lines[i].cmd);
            EXPECT_EQ(lines[i].m_strName, c.lines[i].name);
            EXPECT_EQ(lines[i].m_strUid, c.lines[i].uid);
            EXPECT_EQ(lines[i].m_strText, c.lines[i].text);
            EXPECT_TRUE(lines[i].m_strTime.empty());
        }
        EXPECT_EQ(m_window.Count(RecordedEvent::Kind::Show), c.shown ? 1u : 0u);
        EXPECT_EQ(m_window.Count(RecordedEvent::Kind::Topmost), c.shown ? 1u : 0u);
        EXPECT_EQ(g_bStopService.load(), c.refused ? 1 : 0);
        EXPECT_EQ(g_strLastError, c.refused ? std::u16string(texts::kJoinRefused) : std::u16string());
    }
}

TEST_F(ServerText, AckSendsTheLineBeforeShowingAndRaisingTheOverlay)
{
    Handle(R"({"cmd":"ack"})");
    const std::vector<RecordedEvent> events = m_window.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, RecordedEvent::Kind::Line);
    EXPECT_EQ(events[1].kind, RecordedEvent::Kind::Show);
    EXPECT_EQ(events[1].wParam, static_cast<WPARAM>(SW_SHOWNORMAL));
    EXPECT_EQ(events[2].kind, RecordedEvent::Kind::Topmost);
}

TEST_F(ServerText, TextEndsAtTheLengthOrAtTheFirstNul)
{
    const std::string withNul("{\"cmd\":\"cst\",\"data\":\"hi\"}\0{\"cmd\":\"rej\"}", 40);
    Handle(withNul);
    const std::string longer = R"({"cmd":"cst","data":"one"}{"cmd":"cst","data":"two"})";
    HandleServerText(longer.data(), 26);  // only the first object
    const std::vector<BarrageMessage> lines = m_window.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].m_strText, "hi");
    EXPECT_EQ(lines[1].m_strText, "one");
    EXPECT_EQ(g_bStopService.load(), 0);
}

TEST_F(ServerText, UnescapedBytesAreKeptExactlyAsReceived)
{
    // Raw GBK, raw UTF-8, a percent sign and a DEL: none of them is touched.
    const std::string raw = "\xD6\xD0\xCE\xC4 \xE4\xB8\xAD %s%n \x7F";
    Handle("{\"cmd\":\"cst\",\"data\":\"" + raw + "\",\"user\":{\"name\":\"\xC3\xA9\"}}");
    const std::vector<BarrageMessage> lines = m_window.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, raw);
    EXPECT_EQ(lines[0].m_strName, "\xC3\xA9");
}

}  // namespace
}  // namespace zandrel
