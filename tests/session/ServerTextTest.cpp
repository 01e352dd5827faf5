#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/ProtocolTexts.h"
#include "support/ParamNames.h"
#include "support/ServerTextFixture.h"
#include "support/TestServices.h"

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
    {"ack ignores data and user",
     R"({"cmd":"ack","data":"x","user":{"name":"a"}})",
     {{"ack", kSysInfo, "", kJoined}},
     true},
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
    {"a trailing comma in an object is refused", R"({"cmd":"cst","data":"hi",})", {}},
    {"a trailing comma in an array is refused", R"({"cmd":"cst","data":"hi","x":[1,]})", {}},
    {"a byte-order mark is refused", "\xEF\xBB\xBF{\"cmd\":\"cst\",\"data\":\"hi\"}", {}},
};

using ServerText = test::ServerTextFixture;

class ServerTextDecisions : public ::testing::TestWithParam<HandlerCase> {};

TEST_P(ServerTextDecisions, WhatTheMessageMeans)
{
    const HandlerCase& c = GetParam();
    const ServerMessage message = ParseServerText(c.input.data(), c.input.size());
    std::vector<BarrageMessage> lines;
    if (message.event == ServerEvent::Line || message.event == ServerEvent::Joined)
        lines.push_back(message.line);
    ASSERT_EQ(lines.size(), c.lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].m_strCmd, c.lines[i].cmd);
        EXPECT_EQ(lines[i].m_strName, c.lines[i].name);
        EXPECT_EQ(lines[i].m_strUid, c.lines[i].uid);
        EXPECT_EQ(lines[i].m_strText, c.lines[i].text);
        EXPECT_TRUE(lines[i].m_strTime.empty());
        const LineKind kind = c.lines[i].text == kGift ? LineKind::Gift : c.shown ? LineKind::Own : LineKind::Chat;
        EXPECT_EQ(lines[i].m_kind, kind);
    }
    const ServerEvent expected = c.refused       ? ServerEvent::Refused
                                 : c.shown       ? ServerEvent::Joined
                                 : lines.empty() ? ServerEvent::None
                                                 : ServerEvent::Line;
    EXPECT_EQ(message.event, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ServerTextDecisions, ::testing::ValuesIn(kDecisionTable),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

TEST_F(ServerText, AckSendsTheLineBeforeShowingAndRaisingTheOverlay)
{
    EXPECT_EQ(Handle(R"({"cmd":"ack"})"), ServerEvent::Joined);
    const std::vector<RecordedEvent> events = m_window.Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, RecordedEvent::Kind::Line);
    EXPECT_EQ(events[1].kind, RecordedEvent::Kind::Show);
    EXPECT_EQ(events[2].kind, RecordedEvent::Kind::Topmost);
}

TEST_F(ServerText, TextEndsAtTheLengthOrAtTheFirstNul)
{
    const std::string withNul("{\"cmd\":\"cst\",\"data\":\"hi\"}\0{\"cmd\":\"rej\"}", 40);
    EXPECT_EQ(Handle(withNul), ServerEvent::Line);
    const std::string longer = R"({"cmd":"cst","data":"one"}{"cmd":"cst","data":"two"})";
    EXPECT_EQ(HandleServerText(longer.data(), 26, m_sink), ServerEvent::Line);  // only the first object
    const std::vector<BarrageMessage> lines = m_window.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].m_strText, "hi");
    EXPECT_EQ(lines[1].m_strText, "one");
}

struct RawBytesCase {
    const char* label;
    std::string raw;       // unescaped bytes inside a string
    std::string expected;  // what the line carries
};

// Unescaped text that is well-formed UTF-8 becomes the program's code page, as its escapes would;
// anything else (a GBK server's text) is kept exactly as received.
TEST_F(ServerText, UnescapedBytes)
{
    const std::vector<RawBytesCase> cases = {
        {"raw UTF-8 Chinese", "中文", test::Utf8ToAnsi("中文")},
        {"raw UTF-8 beside an escape of the same", "中\\u6587", test::Utf8ToAnsi("中文")},
        {"raw UTF-8 outside the BMP", "😀", test::Utf8ToAnsi("😀")},
        {"raw UTF-8 whose GB18030 form ends in a backslash", "乗", "\x81\x5C"},
        {"raw GBK", "\xD6\xD0\xCE\xC4", "\xD6\xD0\xCE\xC4"},
        {"GBK and UTF-8 in one string are kept whole", "\xD6\xD0\xCE\xC4 \xE4\xB8\xAD",
         "\xD6\xD0\xCE\xC4 \xE4\xB8\xAD"},
        {"an overlong form is not UTF-8", "\xC0\xAF", "\xC0\xAF"},
        {"an encoded surrogate is not UTF-8", "\xED\xA0\x80", "\xED\xA0\x80"},
        {"beyond U+10FFFF is not UTF-8", "\xF4\x90\x80\x80", "\xF4\x90\x80\x80"},
        {"a cut sequence is not UTF-8", "ab\xE4\xB8", "ab\xE4\xB8"},
        {"ASCII, a percent sign and DEL stay", " %s%n \x7F", " %s%n \x7F"},
    };
    for (const RawBytesCase& c : cases) {
        SCOPED_TRACE(c.label);
        const std::vector<BarrageMessage> lines =
            Deliver("{\"cmd\":\"cst\",\"data\":\"" + c.raw + "\",\"user\":{\"name\":\"" + c.raw + "\"}}");
        EXPECT_EQ(lines.size(), 1u);
        if (lines.size() != 1)
            continue;
        EXPECT_EQ(lines[0].m_strText, c.expected);
        EXPECT_EQ(lines[0].m_strName, c.expected);
    }
}

}  // namespace
}  // namespace zandrel
