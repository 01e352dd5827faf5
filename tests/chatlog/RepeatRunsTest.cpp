// Runs of merged repeats as the chat log keeps them until they end.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chatlog/RepeatRuns.h"

namespace zandrel {
namespace {

LogLine line(std::time_t at, const char16_t* text) { return {at, u"ann", text, false}; }

std::vector<std::u16string> texts(const std::vector<LogLine>& lines)
{
    std::vector<std::u16string> out;
    for (const LogLine& l : lines)
        out.push_back(l.text + u"×" + std::u16string(1, static_cast<char16_t>(u'0' + l.count)));
    return out;
}

// Runs end when their window has closed, in the order they began, each with its last count.
TEST(RepeatRuns, EndWhenTheirWindowHasClosedInTheOrderTheyBegan)
{
    CRepeatRuns runs;
    EXPECT_TRUE(runs.Repeat(9, line(100, u"b"), 2, 110).empty());
    EXPECT_TRUE(runs.Repeat(3, line(95, u"a"), 2, 105).empty());
    EXPECT_TRUE(runs.Repeat(9, line(100, u"b"), 3, 110).empty());
    EXPECT_TRUE(runs.Repeat(12, line(108, u"c"), 2, 118).empty());
    EXPECT_EQ(runs.NextClose(), 105);
    EXPECT_TRUE(runs.EndClosed(104).empty());
    EXPECT_EQ(texts(runs.EndClosed(110)), (std::vector<std::u16string>{u"a×2", u"b×3"}));
    EXPECT_EQ(runs.NextClose(), 118);
    EXPECT_EQ(texts(runs.EndAll()), (std::vector<std::u16string>{u"c×2"}));
    EXPECT_EQ(runs.NextClose(), std::nullopt);
    EXPECT_EQ(runs.Open(), 0U);
}

// A flood of many different repeats keeps at most kMaxOpen runs: the oldest ends early, nothing is
// lost.
TEST(RepeatRuns, TheOldestEndsEarlyBeyondTheBound)
{
    CRepeatRuns runs;
    std::size_t ended = 0;
    for (std::uint64_t serial = 0; serial < CRepeatRuns::kMaxOpen + 10; ++serial)
        ended += runs.Repeat(serial, line(100, u"x"), 2, 200).size();
    EXPECT_EQ(ended, 10U);
    EXPECT_EQ(runs.Open(), CRepeatRuns::kMaxOpen);
    EXPECT_EQ(runs.EndAll().size(), CRepeatRuns::kMaxOpen);
}

}  // namespace
}  // namespace zandrel
