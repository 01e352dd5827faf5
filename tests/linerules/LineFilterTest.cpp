#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "linerules/LineFilter.h"
#include "support/ParamNames.h"

namespace zandrel {
namespace {

struct FilterCase {
    const char* label;
    std::function<void(LineRuleSettings&)> rules;
    LineKind kind;
    QString name, uid, text;
    LineVerdict expected;
};

using V = LineVerdict;
constexpr LineKind kChat = LineKind::Chat;
constexpr LineKind kGift = LineKind::Gift;
constexpr LineKind kOwn = LineKind::Own;

const std::vector<FilterCase> kCases = {
    {"no rules show everything", [](auto&) {}, kChat, "ann", "1", "hello", V::Show},
    {"blocked name", [](auto& r) { r.blockedSenders = "bob\nann"; }, kChat, "ann", "1", "hello", V::Block},
    {"blocked name whatever its case", [](auto& r) { r.blockedSenders = "ANN"; }, kChat, "Ann", "", "hi", V::Block},
    {"blocked name with spaces around the entry", [](auto& r) { r.blockedSenders = "  ann \r\n"; }, kChat, "ann", "",
     "hi", V::Block},
    {"a name is matched whole, not in part", [](auto& r) { r.blockedSenders = "an"; }, kChat, "ann", "", "hi", V::Show},
    {"blocked uid", [](auto& r) { r.blockedSenders = "4242"; }, kChat, "ann", "4242", "hi", V::Block},
    {"another sender is shown", [](auto& r) { r.blockedSenders = "bob"; }, kChat, "ann", "1", "hi", V::Show},
    {"an empty name never matches an empty entry", [](auto& r) { r.blockedSenders = "\n\n"; }, kChat, "", "", "hi",
     V::Show},
    {"blocked keyword anywhere in the text", [](auto& r) { r.blockedKeywords = "广告"; }, kChat, "ann", "",
     "加我看广告啦", V::Block},
    {"blocked keyword whatever its case", [](auto& r) { r.blockedKeywords = "SPAM"; }, kChat, "a", "", "no spam!",
     V::Block},
    {"a plain keyword's special characters are plain", [](auto& r) { r.blockedKeywords = "a.b"; }, kChat, "a", "",
     "axb", V::Show},
    {"plain keyword with special characters matches itself", [](auto& r) { r.blockedKeywords = "(+_+)"; }, kChat, "a",
     "", "look (+_+) here", V::Block},
    {"keywords do not look at the name", [](auto& r) { r.blockedKeywords = "ann"; }, kChat, "ann", "", "hi", V::Show},
    {"regular expression keyword",
     [](auto& r) {
         r.blockedKeywords = R"(\d{3,})";
         r.keywordsAreRegex = true;
     },
     kChat, "a", "", "call 12345", V::Block},
    {"regular expression that does not match",
     [](auto& r) {
         r.blockedKeywords = R"(^\d+$)";
         r.keywordsAreRegex = true;
     },
     kChat, "a", "", "call 12345", V::Show},
    {"an invalid expression is left out, the others work",
     [](auto& r) {
         r.blockedKeywords = "(\nbad";
         r.keywordsAreRegex = true;
     },
     kChat, "a", "", "so bad", V::Block},
    {"back-references stay within their own expression",
     [](auto& r) {
         r.blockedKeywords = "(x)\\1\n(a)\\1";
         r.keywordsAreRegex = true;
     },
     kChat, "a", "", "aa", V::Block},
    {"highlighted name", [](auto& r) { r.highlightedSenders = "ann"; }, kChat, "ann", "", "hi", V::Highlight},
    {"highlighted uid", [](auto& r) { r.highlightedSenders = "77"; }, kChat, "x", "77", "hi", V::Highlight},
    {"highlighted keyword", [](auto& r) { r.highlightedKeywords = "主播"; }, kChat, "x", "", "主播好", V::Highlight},
    {"a block beats a highlight",
     [](auto& r) {
         r.highlightedSenders = "ann";
         r.blockedKeywords = "hi";
     },
     kChat, "ann", "", "hi", V::Block},
    {"a blocked sender's gift is blocked", [](auto& r) { r.blockedSenders = "ann"; }, kGift, "ann", "", "gift",
     V::Block},
    {"only gifts: chat is hidden", [](auto& r) { r.onlyGiftsAndHighlights = true; }, kChat, "a", "", "hi", V::Hide},
    {"only gifts: a gift is shown", [](auto& r) { r.onlyGiftsAndHighlights = true; }, kGift, "a", "", "g", V::Show},
    {"only gifts: a highlight is shown",
     [](auto& r) {
         r.onlyGiftsAndHighlights = true;
         r.highlightedKeywords = "hi";
     },
     kChat, "a", "", "hi", V::Highlight},
    {"only gifts: the session's own lines are shown", [](auto& r) { r.onlyGiftsAndHighlights = true; }, kOwn,
     "系统信息", "", "成功连接直播室", V::Show},
    {"the session's own lines are never blocked", [](auto& r) { r.blockedKeywords = "连接"; }, kOwn, "系统信息", "",
     "成功连接直播室", V::Show},
};

class LineFilterTable : public ::testing::TestWithParam<FilterCase> {};

TEST_P(LineFilterTable, Verdict)
{
    const FilterCase& c = GetParam();
    LineRuleSettings rules;
    c.rules(rules);
    const CLineFilter filter(rules);
    EXPECT_EQ(filter.Judge(c.kind, c.name, c.uid, c.text), c.expected);
    if (rules == LineRuleSettings{}) {
        EXPECT_TRUE(filter.PassesAll());
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LineFilterTable, ::testing::ValuesIn(kCases),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

TEST(LineFilter, ExpressionsThatCannotBeUsedAreReportedByListAndLine)
{
    LineRuleSettings rules;
    rules.keywordsAreRegex = true;
    rules.blockedKeywords = "ok\n\n[unclosed";
    rules.highlightedKeywords = "*star\nfine";
    const std::vector<RuleProblem> problems = CLineFilter(rules).Problems();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].list, CLineFilter::kBlockedKeywordsName);
    EXPECT_EQ(problems[0].line, 3);
    EXPECT_EQ(problems[0].entry, "[unclosed");
    EXPECT_FALSE(problems[0].reason.isEmpty());
    EXPECT_EQ(problems[1].list, CLineFilter::kHighlightedKeywordsName);
    EXPECT_EQ(problems[1].line, 1);
    // The same entries as plain text are fine.
    rules.keywordsAreRegex = false;
    EXPECT_TRUE(CLineFilter(rules).Problems().empty());
}

TEST(LineFilter, AThousandEntryListJudgesEachEntry)
{
    LineRuleSettings rules;
    for (int i = 0; i < 1000; ++i) {
        rules.blockedSenders += QStringLiteral("user%1\n").arg(i);
        rules.blockedKeywords += QStringLiteral("word%1x\n").arg(i);
    }
    const CLineFilter filter(rules);
    for (int i = 0; i < 1000; i += 111) {
        EXPECT_EQ(filter.Judge(kChat, QStringLiteral("user%1").arg(i), {}, QStringLiteral("hi")), V::Block) << i;
        EXPECT_EQ(filter.Judge(kChat, QStringLiteral("x"), {}, QStringLiteral("a word%1x b").arg(i)), V::Block) << i;
    }
    EXPECT_EQ(filter.Judge(kChat, QStringLiteral("user1000"), {}, QStringLiteral("word1000x")), V::Show);
}

}  // namespace
}  // namespace zandrel
