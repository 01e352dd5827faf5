#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Unicode.h"

namespace zandrel {
namespace {

struct Utf8Case {
    const char* label;
    std::string bytes;
    std::size_t length;  // 0: not well-formed
    char32_t codePoint;  // when well-formed
};

// At the first byte of `bytes`. The edges of each form, and what each check refuses.
const std::vector<Utf8Case> kUtf8Cases = {
    {"ASCII", "A", 1, U'A'},
    {"two bytes, smallest", "\xC2\x80", 2, 0x80},
    {"two bytes, largest", "\xDF\xBF", 2, 0x7FF},
    {"three bytes, smallest", "\xE0\xA0\x80", 3, 0x800},
    {"three bytes, Chinese", "\xE4\xB8\xAD", 3, U'中'},
    {"last before the surrogates", "\xED\x9F\xBF", 3, 0xD7FF},
    {"first after the surrogates", "\xEE\x80\x80", 3, 0xE000},
    {"four bytes, smallest", "\xF0\x90\x80\x80", 4, 0x10000},
    {"four bytes, largest", "\xF4\x8F\xBF\xBF", 4, 0x10FFFF},
    {"only the first sequence", "\xC3\xA9z", 2, 0xE9},
    {"stray continuation byte", "\x80", 0, 0},
    {"overlong two bytes", "\xC1\xBF", 0, 0},
    {"overlong three bytes", "\xE0\x9F\xBF", 0, 0},
    {"overlong four bytes", "\xF0\x8F\xBF\xBF", 0, 0},
    {"a surrogate", "\xED\xA0\x80", 0, 0},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
    {"no lead byte above F4", "\xF5\x80\x80\x80", 0, 0},
    {"cut off by the end", "\xE4\xB8", 0, 0},
    {"ASCII where a continuation belongs",
     "\xE4"
     "A\xAD",
     0, 0},
    {"a lead where the last continuation belongs", "\xF0\x90\x80\xC2", 0, 0},
};

TEST(Unicode, Utf8SequenceAtTakesWellFormedSequencesOnly)
{
    for (const Utf8Case& c : kUtf8Cases) {
        SCOPED_TRACE(c.label);
        char32_t codePoint = 0;
        EXPECT_EQ(Utf8SequenceAt(c.bytes, 0, codePoint), c.length);
        if (c.length != 0) {
            EXPECT_EQ(codePoint, c.codePoint);
        }
    }
}

TEST(Unicode, Utf8SequenceAtReadsAtItsPosition)
{
    const std::string text = "a\xE4\xB8\xAD";
    char32_t codePoint = 0;
    EXPECT_EQ(Utf8SequenceAt(text, 1, codePoint), 3u);
    EXPECT_EQ(codePoint, U'中');
    EXPECT_EQ(Utf8SequenceAt(text, 2, codePoint), 0u);
}

TEST(Unicode, SurrogatesSplitAndJoinAgain)
{
    for (const char32_t codePoint : {char32_t{0x10000}, char32_t{0x1F600}, char32_t{0x10FFFF}}) {
        SCOPED_TRACE(static_cast<unsigned>(codePoint));
        const char16_t high = HighSurrogateOf(codePoint);
        const char16_t low = LowSurrogateOf(codePoint);
        EXPECT_TRUE(IsHighSurrogate(high));
        EXPECT_TRUE(IsLowSurrogate(low));
        EXPECT_EQ(JoinSurrogates(high, low), codePoint);
    }
    EXPECT_EQ(HighSurrogateOf(0x1F600), 0xD83D);
    EXPECT_EQ(LowSurrogateOf(0x1F600), 0xDE00);
}

}  // namespace
}  // namespace zandrel
