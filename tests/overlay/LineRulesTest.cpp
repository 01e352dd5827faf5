#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include <QSignalSpy>
#include <QTextBlock>

#include "base/TextCodec.h"
#include "overlay/BubbleDlg.h"
#include "support/ChatLines.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

using test::ChatLine;

// The streamer's rules on the overlay's line path: what the view shows, in which colours, and who
// hears of which line.
class LineRules : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_overlay.SetClock([this] { return m_now; });
        m_overlay.SetLineListener([this](const std::vector<PassedLine>& lines) {
            m_passed.insert(m_passed.end(), lines.begin(), lines.end());
        });
    }
    void Rules(const LineRuleSettings& rules, const LineLook& look = {}) { m_overlay.SetLineRules(rules, look); }
    // The view's paragraphs without their time stamps: "name", "text", "name", "text", ...
    std::vector<QString> Paragraphs()
    {
        std::vector<QString> paragraphs;
        for (QTextBlock block = m_overlay.RichEdit().document()->begin(); block.isValid(); block = block.next())
            paragraphs.push_back(paragraphs.size() % 2 == 0 ? block.text().section(u' ', 0, -2) : block.text());
        return paragraphs;
    }
    // The colour and weight of the text at the start of paragraph `n`.
    QTextCharFormat FormatOf(int n)
    {
        return m_overlay.RichEdit().document()->findBlockByNumber(n).begin().fragment().charFormat();
    }

    std::time_t m_now = 1'000'000;
    CBubbleDlg m_overlay;
    std::vector<PassedLine> m_passed;
};

TEST_F(LineRules, ABlockedSendersLinesAreNeitherShownNorPassedOnButCounted)
{
    LineRuleSettings rules;
    rules.blockedSenders = "bob\n4242";
    Rules(rules);
    QSignalSpy blocked(&m_overlay, &CBubbleDlg::linesBlocked);
    m_overlay.AddBarrageMessages({ChatLine("ann", "one"), ChatLine("bob", "two"),
                                  ChatLine("eve", "three", LineKind::Chat, "4242"), ChatLine("ann", "four")});
    EXPECT_EQ(Paragraphs(), (std::vector<QString>{"ann", "one", "ann", "four"}));
    ASSERT_EQ(blocked.size(), 1);
    EXPECT_EQ(blocked[0][0].toInt(), 2);
    ASSERT_EQ(m_passed.size(), 2u);
    EXPECT_EQ(m_passed[1].line.text, u"four");
}

TEST_F(LineRules, OnlyGiftsAndHighlightsHidesChatButPassesItOnAsHidden)
{
    LineRuleSettings rules;
    rules.onlyGiftsAndHighlights = true;
    rules.highlightedKeywords = "主播";
    Rules(rules);
    m_overlay.AddBarrageMessages({ChatLine("系统信息", "成功连接直播室", LineKind::Own), ChatLine("a", "hi"),
                                  ChatLine("b", "主播好"), ChatLine("c", "送给主播10个仙豆", LineKind::Gift)});
    EXPECT_EQ(Paragraphs(),
              (std::vector<QString>{"系统信息", "成功连接直播室", "b", "主播好", "c", "送给主播10个仙豆"}));
    ASSERT_EQ(m_passed.size(), 4u);
    EXPECT_EQ(m_passed[1].verdict, LineVerdict::Hide);
    EXPECT_EQ(m_passed[2].verdict, LineVerdict::Highlight);
}

struct LookCase {
    const char* label;
    LineKind kind;
    bool highlighted;
    bool giftsStandOut;
    QColor title, text;
    bool bold;
};

TEST_F(LineRules, ColoursOfEachKindOfLine)
{
    const QColor kHighlight(0, 200, 80);
    const QColor kGift(255, 0, 200);
    const QColor kTitle = CBubbleDlg::kTitleColour;
    const QColor kText = CBubbleDlg::kMessageColour;
    const LookCase cases[] = {
        {"chat", LineKind::Chat, false, true, kTitle, kText, false},
        {"gift, not standing out", LineKind::Gift, false, false, kTitle, kText, false},
        {"gift standing out", LineKind::Gift, false, true, kGift, kGift, true},
        {"highlighted chat, whole line", LineKind::Chat, true, true, kHighlight, kHighlight, false},
        {"highlighted gift: the highlight wins", LineKind::Gift, true, true, kHighlight, kHighlight, false},
    };
    for (const LookCase& c : cases) {
        SCOPED_TRACE(c.label);
        LineRuleSettings rules;
        rules.highlightedSenders = c.highlighted ? "hl" : "";
        LineLook look;
        look.giftsStandOut = c.giftsStandOut;
        look.giftColour = kGift;
        look.highlightColour = kHighlight;
        Rules(rules, look);
        m_overlay.ClearLines();
        m_overlay.AddBarrageMessage(ChatLine("hl", "text", c.kind));
        EXPECT_EQ(FormatOf(0).foreground().color(), c.title);
        EXPECT_EQ(FormatOf(1).foreground().color(), c.text);
        EXPECT_EQ(FormatOf(1).font().bold(), c.bold);
    }
}

TEST_F(LineRules, RepeatsMergeIntoTheirLineWithACountThatGrowsInPlace)
{
    LineRuleSettings rules;
    rules.mergeRepeats = true;
    Rules(rules);
    m_overlay.AddBarrageMessages({ChatLine("a", "666"), ChatLine("b", "other"), ChatLine("a", "666")});
    m_now += 5;
    m_overlay.AddBarrageMessages({ChatLine("c", "first\nsecond"), ChatLine("a", "666")});
    m_overlay.AddBarrageMessage(ChatLine("c", "first\nsecond"));
    EXPECT_EQ(Paragraphs(), (std::vector<QString>{"a", "666 ×3", "b", "other", "c", "first\u2028second ×2"}));
    ASSERT_EQ(m_overlay.Messages().size(), 3u);
    EXPECT_EQ(m_overlay.Messages()[0].count, 3);
    // Another sender's identical text is another line; so is a repeat once the window has passed.
    m_overlay.AddBarrageMessage(ChatLine("b", "666"));
    m_now += 5;
    m_overlay.AddBarrageMessage(ChatLine("a", "666"));
    EXPECT_EQ(m_overlay.Messages().size(), 5u);
    EXPECT_EQ(Paragraphs().back(), "666");
    // What the view shows in place is what a rebuild shows.
    const QString inPlace = m_overlay.RichEdit().toPlainText();
    m_overlay.RefreshAllMessages();
    EXPECT_EQ(m_overlay.RichEdit().toPlainText(), inPlace);
    // Listeners hear of every line, merged ones marked.
    ASSERT_EQ(m_passed.size(), 8u);
    EXPECT_FALSE(m_passed[0].merged);
    EXPECT_TRUE(m_passed[2].merged);
}

TEST_F(LineRules, ARepeatAfterATrimGrowsTheRightLine)
{
    LineRuleSettings rules;
    rules.mergeRepeats = true;
    Rules(rules);
    std::vector<BarrageMessage> batch;
    for (int i = 0; i < 480; ++i)
        batch.push_back(ChatLine("n", std::to_string(i).c_str()));
    batch.push_back(ChatLine("a", "rep"));
    for (int i = 0; i < 30; ++i)
        batch.push_back(ChatLine("n", ("x" + std::to_string(i)).c_str()));
    m_overlay.AddBarrageMessages(std::move(batch));
    ASSERT_LT(m_overlay.Messages().size(), 100u);  // trimmed
    m_overlay.AddBarrageMessage(ChatLine("a", "rep"));
    const std::vector<QString> paragraphs = Paragraphs();
    const auto rep = std::find(paragraphs.begin(), paragraphs.end(), QStringLiteral("rep ×2"));
    ASSERT_NE(rep, paragraphs.end());
    EXPECT_EQ(*(rep - 1), "a");
    EXPECT_EQ(paragraphs.size(), 2 * m_overlay.Messages().size());
}

TEST_F(LineRules, NewRulesApplyAtOnceToTheShownLines)
{
    m_overlay.AddBarrageMessages({ChatLine("ann", "one"), ChatLine("bob", "two"), ChatLine("eve", "three")});
    LineRuleSettings rules;
    rules.blockedSenders = "bob";
    rules.highlightedSenders = "eve";
    const QColor kHighlight(0, 200, 80);
    LineLook look;
    look.highlightColour = kHighlight;
    Rules(rules, look);
    EXPECT_EQ(Paragraphs(), (std::vector<QString>{"ann", "one", "eve", "three"}));
    EXPECT_EQ(FormatOf(3).foreground().color(), kHighlight);
    EXPECT_EQ(FormatOf(1).foreground().color(), CBubbleDlg::kMessageColour);
}

}  // namespace
}  // namespace zandrel
