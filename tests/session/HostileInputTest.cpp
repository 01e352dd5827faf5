#include <gtest/gtest.h>

#include <cstring>

#include <algorithm>
#include <string>
#include <vector>

#include <libwebsockets.h>

#include "support/ServerTextFixture.h"

namespace zandrel {
namespace {

using HostileInput = test::ServerTextFixture;

struct TypeCase {
    const char* input;
    bool delivered;
    const char* name;  // expected name and text when delivered
    const char* text;
};

// Decisions for members of an unexpected type: a "cmd" without text drops the message; any other
// member without text counts as absent.
const TypeCase kWrongTypes[] = {
    {R"({"cmd":1,"data":"x"})", false, "", ""},
    {R"({"cmd":1.5,"amount":"1"})", false, "", ""},
    {R"({"cmd":["cst"],"data":"x"})", false, "", ""},
    {R"({"cmd":{"a":"cst"},"data":"x"})", false, "", ""},
    {R"({"cmd":"cst","data":5})", false, "", ""},
    {R"({"cmd":"cst","data":["x"]})", false, "", ""},
    {R"({"cmd":"cst","data":{"a":"x"}})", false, "", ""},
    {R"({"cmd":"cst","amount":1,"data":"hi"})", true, "", "hi"},
    {R"({"cmd":"cst","amount":["1"],"data":"hi"})", true, "", "hi"},
    {R"({"cmd":"cst","amount":{"a":"1"},"data":"hi"})", true, "", "hi"},
    {R"({"cmd":"cst","data":"hi","user":"bob"})", true, "", "hi"},
    {R"({"cmd":"cst","data":"hi","user":7})", true, "", "hi"},
    {R"({"cmd":"cst","data":"hi","user":["bob"]})", true, "", "hi"},
    {R"({"cmd":"cst","data":"hi","user":{"name":5,"uid":[1]}})", true, "", "hi"},
    {R"({"cmd":"cst","data":"hi","user":{"name":{"x":1},"uid":{"y":2}}})", true, "", "hi"},
    {R"({"cmd":"cst","data":"hi","user":{"name":true}})", true, "true", "hi"},
    {R"([{"cmd":"cst","data":"x"}])", false, "", ""},
    {R"([1,2,3])", false, "", ""},
    {R"("cst")", false, "", ""},
    {R"(42)", false, "", ""},
    {R"(true)", false, "", ""},
};

TEST_F(HostileInput, MembersOfTheWrongType)
{
    for (const TypeCase& c : kWrongTypes) {
        SCOPED_TRACE(c.input);
        const auto lines = Deliver(c.input);
        EXPECT_EQ(lines.size(), c.delivered ? 1u : 0u);
        if (c.delivered && lines.size() == 1) {
            EXPECT_EQ(lines[0].m_strName, c.name);
            EXPECT_EQ(lines[0].m_strText, c.text);
            EXPECT_EQ(lines[0].m_strUid, "");
        }
        EXPECT_NE(ParseServerText(c.input, std::strlen(c.input)).event, ServerEvent::Refused);
    }
}

TEST_F(HostileInput, DeepNestingIsIgnored)
{
    for (const std::size_t depth : {1001u, 100000u}) {
        SCOPED_TRACE(depth);
        EXPECT_TRUE(Deliver(std::string(depth, '[') + std::string(depth, ']')).empty());
        EXPECT_TRUE(Deliver(R"({"cmd":"cst","data":"x","z":)" + std::string(depth, '[')).empty());
        EXPECT_TRUE(Deliver(R"({"cmd":"cst","data":"x","z":)" + std::string(depth, '{')).empty());
    }
}

TEST_F(HostileInput, EmbeddedNulBytesSurvive)
{
    const std::string nulInText = std::string(R"({"cmd":"cst","data":"a)") + '\0' + R"(b"})";
    EXPECT_TRUE(Deliver(nulInText).empty());  // the text ends at the NUL and is no longer JSON

    const auto lines = Deliver(R"({"cmd":"cst","data":"\u0000\u0000","user":{"name":"a\u0000b"}})");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, std::string(2, '\0'));
    EXPECT_EQ(lines[0].m_strName, std::string("a\0b", 3));
}

TEST_F(HostileInput, OneMebibyteTexts)
{
    constexpr std::size_t kMiB = 1 << 20;

    std::string escaped;
    while (escaped.size() < kMiB)
        escaped += R"(\u4E2D\uD83D\u661E)";
    auto lines = Deliver(R"({"cmd":"cst","data":")" + escaped + R"("})");
    ASSERT_EQ(lines.size(), 1u);
    const std::size_t escapes = escaped.size() / 18;
    EXPECT_EQ(lines[0].m_strText.size(), escapes * (2 + 4 + 2));
    EXPECT_EQ(lines[0].m_strText.substr(0, 8), "\xD6\xD0\x84\x31\xA4\x37\x95\x5C");

    std::string garbage(kMiB, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>("{[\"\\u:,}]x"[i % 10]);
    EXPECT_TRUE(Deliver(garbage).empty());

    const std::string plain(kMiB, 'a');
    lines = Deliver(R"({"cmd":"cst","data":")" + plain + R"("})");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, plain);
}

TEST_F(HostileInput, FormatDirectivesAreOnlyData)
{
    const auto lines = Deliver(R"({"cmd":"cst","data":"%s%s%n%p%x","user":{"name":"%n%n"}})");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, "%s%s%n%p%x");
    EXPECT_EQ(lines[0].m_strName, "%n%n");
}

std::vector<std::string>& capturedLog()
{
    static std::vector<std::string> lines;
    return lines;
}

TEST_F(HostileInput, ControlCharactersReachTheLogEscaped)
{
    capturedLog().clear();
    lws_set_log_level(LLL_ERR | LLL_WARN | LLL_NOTICE, [](int, const char* line) { capturedLog().push_back(line); });
    // Raw control characters inside the string (the reader takes them), and escaped ones.
    Handle("{\"cmd\":\"cst\",\"data\":\"a\x1b[2J\r\nFAKE \\u001b]0;x\\u0007\",\"user\":{\"name\":\"n\\n\"}}");
    lws_set_log_level(LLL_ERR | LLL_WARN | LLL_NOTICE, nullptr);
    const std::vector<BarrageMessage> lines = m_window.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, "a\x1b[2J\r\nFAKE \x1b]0;x\x07");  // the line itself is untouched

    const std::vector<std::string> log = capturedLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("data {\"cmd\":\"cst\",\"data\":\"a\\x1b[2J\\x0d\\x0aFAKE \\u001b]0;x\\u0007\""),
              std::string::npos)
        << log[0];
    EXPECT_NE(log[1].find("n\\x0a:a\\x1b[2J\\x0d\\x0aFAKE \\x1b]0;x\\x07\n"), std::string::npos) << log[1];
    for (const std::string& line : log) {
        const std::string body = line.substr(0, line.size() - 1);  // the emitter's own line feed
        EXPECT_TRUE(std::none_of(body.begin(), body.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            << line;
    }
}

}  // namespace
}  // namespace zandrel
