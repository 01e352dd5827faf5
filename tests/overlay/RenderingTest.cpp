#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include <QTextBlock>

#include "BubbleDlg.h"
#include "ImgTags.h"

namespace zandrel {
namespace {

// A local time of 14:05:09 on some day, and a clock that moves on one second per line.
std::time_t at140509()
{
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 0;
    local.tm_mday = 15;
    local.tm_hour = 14;
    local.tm_min = 5;
    local.tm_sec = 9;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

BarrageMessage line(std::string name, std::string text)
{
    BarrageMessage rec;
    rec.SetCmd("cst");
    rec.SetName(std::move(name));
    rec.SetText(std::move(text));
    return rec;
}

class Rendering : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_now = at140509();
        m_overlay.SetClock([this] { return m_now; });
    }
    QString ViewText() { return m_overlay.RichEdit().toPlainText(); }

    std::time_t m_now;
    CBubbleDlg m_overlay;
};

TEST_F(Rendering, ATitleRunAndAMessageRunInTheirColours)
{
    m_overlay.AddBarrageMessage(line("Ann", "hello"));
    EXPECT_EQ(ViewText(), QStringLiteral("Ann 14:05:09\nhello"));
    const QTextDocument& doc = *m_overlay.RichEdit().document();
    const QTextBlock title = doc.begin();
    const QTextBlock message = title.next();
    ASSERT_TRUE(message.isValid());
    const QTextCharFormat titleFormat = title.begin().fragment().charFormat();
    const QTextCharFormat messageFormat = message.begin().fragment().charFormat();
    EXPECT_EQ(titleFormat.foreground().color(), QColor(10, 160, 255));
    EXPECT_EQ(messageFormat.foreground().color(), QColor(252, 252, 252));
    EXPECT_EQ(titleFormat.fontPointSize(), 10);
    EXPECT_EQ(messageFormat.fontPointSize(), 10);
    EXPECT_FALSE(titleFormat.font().bold());

    ASSERT_EQ(m_overlay.Messages().size(), 1u);
    EXPECT_EQ(m_overlay.Messages()[0].m_strTime, u"14:05:09\n");
}

TEST_F(Rendering, LinesAreSeparatedAndConvertedFromTheCodePage)
{
    m_overlay.AddBarrageMessage(line("Ann", "hello"));
    m_overlay.AddBarrageMessage(line("\xD5\xC5\xC8\xFD", "<img src=1 />hi %s %n"));  // 张三
    m_overlay.AddBarrageMessage(line("", "no name"));
    EXPECT_EQ(ViewText(), QStringLiteral("Ann 14:05:09\nhello\n张三 14:05:09\n[表情]hi %s %n\n 14:05:09\nno name"));
    EXPECT_EQ(m_overlay.Messages()[1].m_strText, std::string(kEmoticonPlaceholder) + "hi %s %n");
}

TEST_F(Rendering, AnEmptyTextIsNeitherShownNorStored)
{
    m_overlay.AddBarrageMessage(line("Ann", ""));
    EXPECT_TRUE(m_overlay.Messages().empty());
    EXPECT_TRUE(m_overlay.RichEdit().document()->isEmpty());
    m_overlay.AddBarrageMessage(line("Ann", "<img/>"));
    EXPECT_EQ(ViewText(), QStringLiteral("Ann 14:05:09\n[表情]"));
}

TEST_F(Rendering, LinksInNamesAndTextsAreLinkRuns)
{
    m_overlay.AddBarrageMessage(line("http://n", "see http://a.b/c now"));
    int links = 0;
    for (QTextBlock block = m_overlay.RichEdit().document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isAnchor())
                ++links;
    EXPECT_EQ(links, 2);
}

TEST_F(Rendering, Line502TrimsTheStoreTo41AndRebuildsTheView)
{
    for (int i = 1; i <= 501; ++i) {
        m_overlay.AddBarrageMessage(line("u" + std::to_string(i), "line " + std::to_string(i)));
        ++m_now;  // each line gets its own second
    }
    ASSERT_EQ(m_overlay.Messages().size(), 501u);
    EXPECT_EQ(m_overlay.RichEdit().document()->blockCount(), 2 * 501);

    m_overlay.AddBarrageMessage(line("u502", "line 502"));
    const auto& store = m_overlay.Messages();
    ASSERT_EQ(store.size(), 42u);
    EXPECT_EQ(store.front().m_strText, "line 461");
    EXPECT_EQ(store.back().m_strText, "line 502");

    // The view holds exactly the stored lines, each with the time it was stored with.
    QString expected;
    for (std::size_t i = 0; i < store.size(); ++i) {
        if (i)
            expected += '\n';
        expected += QString::fromStdString(store[i].m_strName) + ' ' +
                    QString::fromStdU16String(store[i].m_strTime) + QString::fromStdString(store[i].m_strText);
    }
    EXPECT_EQ(ViewText(), expected);
    EXPECT_NE(store.front().m_strTime, store.back().m_strTime);
}

TEST_F(Rendering, TheOverlayCopiesTheRecordItIsSent)
{
    {
        BarrageMessage onTheSendersStack = line("Ann", "hello");
        EXPECT_EQ(m_overlay.OnBarrageMsg(0, reinterpret_cast<LPARAM>(&onTheSendersStack)), 1);
        onTheSendersStack.SetText("changed afterwards");
    }
    ASSERT_EQ(m_overlay.Messages().size(), 1u);
    EXPECT_EQ(m_overlay.Messages()[0].m_strText, "hello");
}

}  // namespace
}  // namespace zandrel
