#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ParamNames.h"
#include "support/ServerTextFixture.h"

namespace zandrel {
namespace {

struct EscapeCase {
    const char* label;
    std::string escaped;  // the JSON string's content as sent
    std::string bytes;    // what the record must hold
};

// Expected GB18030 bytes come from the GB18030 tables, not from the code under test.
const std::vector<EscapeCase> kEscapes = {
    {"ASCII letter", R"(\u0041)", "A"},
    {"NUL", R"(a\u0000b)", std::string("a\0b", 3)},
    {"DEL stays one byte", R"(\u007F)", "\x7F"},
    {"first non-ASCII", R"(\u0080)", "\x81\x30\x81\x30"},
    {"e acute, in GBK", R"(\u00E9)", "\xA8\xA6"},
    {"U+0100: GB18030, not UTF-8", R"(\u0100)", "\x81\x30\x8B\x38"},
    {"Chinese text", R"(\u4E2D\u6587)", "\xD6\xD0\xCE\xC4"},
    {"lowercase hex", R"(\u4e2d)", "\xD6\xD0"},
    {"range start, in GBK", R"(\u2E81)", "\xFE\x50"},
    {"range start, not in GBK", R"(\u2E80)", "\x81\x38\xFD\x38"},
    {"Yi syllable, not in GBK", R"(\uA000)", "\x82\x35\x98\x33"},
    {"compatibility ideograph, not in GBK", R"(\uF900)", "\x84\x30\x81\x31"},
    {"vertical form", R"(\uFE30)", "\xA9\x55"},
    {"full-width exclamation", R"(\uFF01)", "\xA3\xA1"},
    {"full-width yen", R"(\uFFE5)", "\xA3\xA4"},
    {"euro sign, outside the ranges", R"(\u20AC)", "\xA2\xE3"},
    {"surrogate pair", R"(\uD83D\uDE00)", "\x94\x39\xFC\x36"},
    {"lone high surrogate", R"(\uD83D)", "\x84\x31\xA4\x37"},
    {"lone low surrogate", R"(\uDE00)", "\x84\x31\xA4\x37"},
    {"high surrogate then a letter", R"(\uD83Dx)", "\x84\x31\xA4\x37x"},
    {"high surrogate then an ASCII escape", R"(\uD83D\u0041)",
     "\x84\x31\xA4\x37"
     "A"},
    {"two highs then a low", R"(\uD83D\uD83D\uDE00)", "\x84\x31\xA4\x37\x94\x39\xFC\x36"},
    {"backslash trail byte", R"(\u661E)", "\x95\x5C"},
    {"backslash trail byte before another escape", R"(\u661E\u6587)", "\x95\x5C\xCE\xC4"},
    {"backslash trail byte before a quote escape", R"(\u661E\")", "\x95\x5C\""},
    {"escaped backslash is not an escape", R"(\\u4E2D)", "\\u4E2D"},
    {"other escapes", R"(\/\n\t\"\\)", "/\n\t\"\\"},
    {"mixed with raw bytes",
     "\xD6\xD0"
     R"(\u6587)"
     "\xB1\xED",
     "\xD6\xD0\xCE\xC4\xB1\xED"},
};

using UnicodeEscapes = test::ServerTextFixture;

class EscapedDataText : public test::ServerTextFixture, public ::testing::WithParamInterface<EscapeCase> {};

TEST_P(EscapedDataText, BecomesTheseBytes)
{
    const auto lines = Deliver(R"({"cmd":"cst","data":")" + GetParam().escaped + R"("})");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Table, EscapedDataText, ::testing::ValuesIn(kEscapes),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

TEST_F(UnicodeEscapes, NamesAndKeysFollowTheSameRule)
{
    const auto lines = Deliver(R"({"cmd":"cst","\u0064ata":"x","user":{"name":"\u5F20\u4E09","uid":"\u661E"}})");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strName, "\xD5\xC5\xC8\xFD");
    EXPECT_EQ(lines[0].m_strUid, "\x95\x5C");
}

TEST_F(UnicodeEscapes, EscapesOutsideStringsAndInCommentsAreLeftAlone)
{
    // A quote inside a comment must not start a string for the escape scan.
    const auto lines = Deliver("/* \" */ {\"cmd\":\"cst\", // \"\\u4E2D\n \"data\":\"\\u4E2D\"}");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].m_strText, "\xD6\xD0");
}

TEST_F(UnicodeEscapes, MalformedEscapesMakeTheMessageUnreadable)
{
    for (const char* bad : {R"(\u4E2)", R"(\uZZZZ)", R"(\u)", R"(\)"}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(Deliver(std::string(R"({"cmd":"cst","data":")") + bad + R"("})").empty());
    }
}

}  // namespace
}  // namespace zandrel
