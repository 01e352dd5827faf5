#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/TextCodec.h"

namespace zandrel {
namespace {

struct CodecCase {
    const char* label;
    std::string bytes;
    std::u16string wide;
};

const std::vector<CodecCase> kRoundTrips = {
    {"empty", "", u""},
    {"ASCII", "abc %s", u"abc %s"},
    {"GBK Chinese", "\xD6\xD0\xCE\xC4", u"中文"},
    {"backslash trail byte", "\x95\x5C", u"昞"},
    {"placeholder", "[\xB1\xED\xC7\xE9]", u"[表情]"},
    {"four-byte form", "\x81\x30\x81\x30", u"\u0080"},
    {"outside the BMP", "\x94\x39\xFC\x36", u"\U0001F600"},
    {"embedded NUL", std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
};

TEST(TextCodec, RoundTrips)
{
    for (const CodecCase& c : kRoundTrips) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(AnsiToWide(c.bytes), c.wide);
        EXPECT_EQ(WideToAnsi(c.wide), c.bytes);
    }
}

// Invalid input never stops a conversion: each bad byte is one U+FFFD, an unfinished sequence at the
// end is one U+FFFD.
const std::vector<CodecCase> kInvalidBytes = {
    {"0x80 alone",
     "a\x80"
     "b",
     u"a\uFFFDb"},
    {"0xFF alone", "\xFF", u"\uFFFD"},
    {"lead byte at the end", "ab\xD6", u"ab\uFFFD"},
    {"lead byte before a space", "\xD6 x", u"\uFFFD x"},
    {"unfinished four-byte form", "\x81\x30\x81", u"\uFFFD"},
    {"bad bytes between good ones", "\xD6\xD0\xFF\xFF\xCE\xC4", u"中\uFFFD\uFFFD文"},
};

TEST(TextCodec, InvalidBytesBecomeReplacementCharacters)
{
    for (const CodecCase& c : kInvalidBytes) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(AnsiToWide(c.bytes), c.wide);
    }
}

TEST(TextCodec, LoneSurrogatesBecomeTheReplacementCharacter)
{
    const std::string replacement = "\x84\x31\xA4\x37";
    EXPECT_EQ(WideToAnsi(std::u16string(1, char16_t{0xD800})), replacement);
    EXPECT_EQ(WideToAnsi(u"a" + std::u16string(1, char16_t{0xDC00}) + u"b"), "a" + replacement + "b");
    EXPECT_EQ(WideToAnsi(std::u16string{char16_t{0xDBFF}, char16_t{0xDBFF}, char16_t{0xDFFF}}),
              replacement + "\xE3\x32\x9A\x35");
    std::string appended;
    AppendCodePoints(appended, std::u32string{char32_t{0xDFFF}, char32_t{0x110000}});
    EXPECT_EQ(appended, replacement + replacement);
}

// Private use is left out: GB18030 gave some of its old private-use codes to standard characters.
TEST(TextCodec, EveryBmpCharacterOutsidePrivateUseRoundTrips)
{
    std::u16string all;
    for (char32_t cp = 1; cp < 0x10000; ++cp)
        if (cp < 0xD800 || cp > 0xF8FF)
            all.push_back(static_cast<char16_t>(cp));
    EXPECT_EQ(AnsiToWide(WideToAnsi(all)), all);
}

TEST(TextCodec, CodePointsAgreeWithWideText)
{
    const std::vector<std::pair<char32_t, std::u16string>> points = {
        {0x41, u"A"}, {0x80, u"\u0080"}, {0x4E2D, u"中"}, {0xFFFD, u"\uFFFD"}, {0x1F600, u"\U0001F600"}};
    for (const auto& [cp, wide] : points) {
        std::string appended;
        AppendCodePoints(appended, std::u32string(1, cp));
        EXPECT_EQ(appended, WideToAnsi(wide)) << std::hex << static_cast<unsigned>(cp);
    }
}

}  // namespace
}  // namespace zandrel
