#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "linerules/RepeatMerger.h"
#include "support/ParamNames.h"

namespace zandrel {
namespace {

struct Step {
    std::u16string key;
    std::time_t at;
    std::uint64_t firstShown;           // the oldest serial the overlay still shows
    std::optional<std::uint64_t> into;  // what the line merges into; none: shown as the next serial
};

struct MergeCase {
    const char* label;
    int seconds;
    std::vector<Step> steps;
};

const std::vector<MergeCase> kCases = {
    {"a repeat merges into the first", 10, {{u"a", 100, 0, {}}, {u"a", 101, 0, 0}, {u"a", 109, 0, 0}}},
    {"other lines do not merge", 10, {{u"a", 100, 0, {}}, {u"b", 100, 0, {}}, {u"a", 100, 0, 0}, {u"b", 100, 0, 1}}},
    {"the window counts from when the line was shown",
     10,
     {{u"a", 100, 0, {}}, {u"a", 105, 0, 0}, {u"a", 110, 0, {}}, {u"a", 111, 0, 1}}},
    {"a line no longer shown takes no repeats", 10, {{u"a", 100, 0, {}}, {u"b", 100, 0, {}}, {u"a", 101, 1, {}}}},
    {"a clock that went back starts a new line", 10, {{u"a", 100, 0, {}}, {u"a", 90, 0, {}}, {u"a", 91, 0, 1}}},
    {"a window of one second", 1, {{u"a", 100, 0, {}}, {u"a", 100, 0, 0}, {u"a", 101, 0, {}}}},
};

class RepeatMergerTable : public ::testing::TestWithParam<MergeCase> {};

TEST_P(RepeatMergerTable, WhatEachLineMergesInto)
{
    const MergeCase& c = GetParam();
    CRepeatMerger merger;
    std::uint64_t next = 0;
    for (std::size_t i = 0; i < c.steps.size(); ++i) {
        const Step& step = c.steps[i];
        const std::optional<std::uint64_t> into = merger.Merge(step.key, next, step.at, c.seconds, step.firstShown);
        EXPECT_EQ(into, step.into) << "step " << i;
        if (!into)
            ++next;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, RepeatMergerTable, ::testing::ValuesIn(kCases),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

TEST(RepeatMerger, ForgetsLinesNoLongerShownInAFloodOfDistinctLines)
{
    CRepeatMerger merger;
    for (std::uint64_t serial = 0; serial < 100000; ++serial) {
        const std::string digits = std::to_string(serial);
        merger.Merge(std::u16string(digits.begin(), digits.end()), serial, 100, 10, serial >= 500 ? serial - 500 : 0);
    }
    EXPECT_LE(merger.Size(), 2048u);
}

}  // namespace
}  // namespace zandrel
