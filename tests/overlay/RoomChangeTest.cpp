// A new room's lines after an old room's: the separator line (or a cleared overlay), in its place
// among the lines, whatever the old session left queued, and kept through rebuilds of the view.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QTextBlock>

#include "base/TextCodec.h"
#include "overlay/BubbleDlg.h"
#include "support/ChatLines.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

using test::ChatLine;

class RoomChange : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_overlay.SetClock([this] { return m_now; });
    }
    // The view's paragraphs, time stamps left out: "name", "text", ... for a line, the separator's
    // text and "" for a separator.
    std::vector<QString> Paragraphs()
    {
        std::vector<QString> paragraphs;
        for (QTextBlock block = m_overlay.RichEdit().document()->begin(); block.isValid(); block = block.next()) {
            const bool title = paragraphs.size() % 2 == 0;
            paragraphs.push_back(title && !block.text().startsWith(u"——") ? block.text().section(u' ', 0, -2)
                                                                          : block.text());
        }
        return paragraphs;
    }
    void Join(const char* text = "加入成功") { m_overlay.AddBarrageMessage(ChatLine("系统消息", text, LineKind::Own)); }

    std::time_t m_now = 1'000'000;
    CBubbleDlg m_overlay;
};

struct RoomChangeCase {
    const char* what;
    int room;
    bool clear;
    bool linesBefore;
    std::vector<QString> shown;
};

TEST_F(RoomChange, TheNewRoomsLinesFollowASeparatorOrAClearedOverlay)
{
    const QString separator = QStringLiteral("—— 直播室 123 ——");
    const RoomChangeCase cases[] = {
        {"separator", 123, false, true, {"ann", "old", separator, "", "系统消息", "加入成功", "bob", "new"}},
        {"room 0 is a room too",
         0,
         false,
         true,
         {"ann", "old", QStringLiteral("—— 直播室 0 ——"), "", "系统消息", "加入成功", "bob", "new"}},
        {"cleared", 123, true, true, {"系统消息", "加入成功", "bob", "new"}},
        {"nothing to separate", 123, false, false, {"系统消息", "加入成功", "bob", "new"}},
    };
    for (const RoomChangeCase& c : cases) {
        SCOPED_TRACE(c.what);
        m_overlay.ClearLines();
        if (c.linesBefore)
            m_overlay.AddBarrageMessage(ChatLine("ann", "old"));
        m_overlay.BeginRoom(c.room, c.clear);
        Join();
        m_overlay.AddBarrageMessage(ChatLine("bob", "new"));
        EXPECT_EQ(Paragraphs(), c.shown);
    }
}

TEST_F(RoomChange, WhatTheOldSessionQueuedComesBeforeTheSeparatorAndOnlyOneIsShown)
{
    m_overlay.AddBarrageMessage(ChatLine("ann", "old"));
    // The old session's last line, still queued when the streamer changed rooms.
    m_overlay.Queue().Push(m_overlay.Handle(), {OverlayCommand::Kind::Line, ChatLine("ann", "queued")});
    m_overlay.BeginRoom(5, false);
    EXPECT_EQ(m_overlay.Queue().Size(), 0u);
    // A room that refused the session shows nothing; the next room is the one that is marked.
    m_overlay.BeginRoom(6, false);
    Join();
    Join("加入成功 again");  // a rejoin after an outage is no new room
    EXPECT_EQ(Paragraphs(), (std::vector<QString>{"ann", "old", "ann", "queued", "—— 直播室 6 ——", "", "系统消息",
                                                  "加入成功", "系统消息", "加入成功 again"}));
}

TEST_F(RoomChange, TheSeparatorTakesNoRowOfItsOwnBeyondItsTextAndTheNextLineIsPlain)
{
    m_overlay.AddBarrageMessage(ChatLine("ann", "old"));
    m_overlay.BeginRoom(7, false);
    Join();
    const QTextDocument& document = *m_overlay.RichEdit().document();
    const QTextBlock separator = document.findBlockByNumber(2);
    EXPECT_EQ(separator.blockFormat().alignment(), Qt::AlignHCenter);
    const QTextBlock empty = separator.next();
    EXPECT_EQ(empty.blockFormat().lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_EQ(empty.blockFormat().lineHeight(), 0);
    for (QTextBlock block = empty.next(); block.isValid(); block = block.next())
        EXPECT_EQ(block.blockFormat(), QTextBlockFormat()) << block.text().toStdString();
}

TEST_F(RoomChange, TheSeparatorStaysThroughRebuildsAndMergedCountsStayOnTheirLines)
{
    LineRuleSettings rules;
    rules.mergeRepeats = true;
    m_overlay.SetLineRules(rules, {});
    m_overlay.AddBarrageMessage(ChatLine("ann", "old"));
    m_overlay.BeginRoom(8, false);
    Join();
    m_overlay.AddBarrageMessages({ChatLine("bob", "hi"), ChatLine("bob", "hi")});
    const std::vector<QString> shown{"ann", "old", "—— 直播室 8 ——", "", "系统消息", "加入成功", "bob", "hi ×2"};
    EXPECT_EQ(Paragraphs(), shown);
    rules.blockedKeywords = "nothing like it";  // new rules judge the stored lines again
    m_overlay.SetLineRules(rules, {});
    EXPECT_EQ(Paragraphs(), shown);
    m_overlay.SetLook(14, m_overlay.Opacity(), m_overlay.size());  // a new text size rebuilds the view
    EXPECT_EQ(Paragraphs(), shown);
}

}  // namespace
}  // namespace zandrel
