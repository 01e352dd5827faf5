#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include <QTextBlock>

#include "base/TextCodec.h"
#include "overlay/BubbleDlg.h"
#include "overlay/ImgTags.h"

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
    EXPECT_EQ(m_overlay.Messages()[0].time, u"14:05:09\n");
}

TEST_F(Rendering, LinesAreSeparatedAndConvertedFromTheCodePage)
{
    m_overlay.AddBarrageMessage(line("Ann", "hello"));
    m_overlay.AddBarrageMessage(line("\xD5\xC5\xC8\xFD", "<img src=1 />hi %s %n"));  // 张三
    m_overlay.AddBarrageMessage(line("", "no name"));
    EXPECT_EQ(ViewText(), QStringLiteral("Ann 14:05:09\nhello\n张三 14:05:09\n[表情]hi %s %n\n 14:05:09\nno name"));
    EXPECT_EQ(m_overlay.Messages()[1].name, u"张三");  // stored converted
    EXPECT_EQ(m_overlay.Messages()[1].text, AnsiToWide(std::string(kEmoticonPlaceholder) + "hi %s %n"));
}

TEST_F(Rendering, AnEmptyTextIsNeitherShownNorStored)
{
    m_overlay.AddBarrageMessage(line("Ann", ""));
    EXPECT_TRUE(m_overlay.Messages().empty());
    EXPECT_TRUE(m_overlay.RichEdit().document()->isEmpty());
    m_overlay.AddBarrageMessage(line("Ann", "<img/>"));
    EXPECT_EQ(ViewText(), QStringLiteral("Ann 14:05:09\n[表情]"));
}

struct CutCase {
    const char* label;
    std::u16string name, text;            // as sent
    std::u16string shownName, shownText;  // as shown
};

std::u16string repeat(std::u16string_view piece, std::size_t times)
{
    std::u16string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

// Names beyond 255 characters and texts beyond 1,023 are cut, ending in "…"; a pair of surrogates
// is kept whole or not at all.
TEST_F(Rendering, LongNamesAndTextsAreCutWithAnEllipsis)
{
    const std::u16string a255 = repeat(u"a", 255), zh1023 = repeat(u"中", 1023);
    const std::vector<CutCase> cases = {
        {"at the limits", a255, zh1023, a255, zh1023},
        {"one over", a255 + u"b", zh1023 + u"x", repeat(u"a", 254) + u"…", repeat(u"中", 1022) + u"…"},
        {"a pair across the cut", u"n", repeat(u"x", 1021) + u"😀tail", u"n", repeat(u"x", 1021) + u"…"},
        {"a pair just inside", u"n", repeat(u"x", 1020) + u"😀tail", u"n", repeat(u"x", 1020) + u"😀…"},
        {"a megabyte", u"n", repeat(u"http://a.b/", 100000), u"n", repeat(u"http://a.b/", 93).substr(0, 1022) + u"…"},
    };
    for (const CutCase& c : cases) {
        SCOPED_TRACE(c.label);
        m_overlay.RichEdit().ClearText();
        m_overlay.AddBarrageMessage(line(WideToAnsi(c.name), WideToAnsi(c.text)));
        EXPECT_EQ(ViewText(), QString::fromStdU16String(c.shownName + u" 14:05:09\n" + c.shownText));
        EXPECT_EQ(m_overlay.Messages().back().text, c.shownText);  // stored as shown
        EXPECT_EQ(m_overlay.Messages().back().name, c.shownName);
    }
}

// A batch of lines ends as the same lines one by one would: the same store and the same view, with
// the trims the batch went through.
TEST_F(Rendering, ABatchEndsAsTheSameLinesOneByOne)
{
    for (const std::size_t count : {std::size_t{10}, std::size_t{501}, std::size_t{502}, std::size_t{1200}}) {
        SCOPED_TRACE(count);
        std::vector<BarrageMessage> lines;
        for (std::size_t i = 0; i < count; ++i)
            lines.push_back(line("u" + std::to_string(i), i % 7 == 3 ? "" : "text " + std::to_string(i)));
        CBubbleDlg oneByOne;
        oneByOne.SetClock([this] { return m_now; });
        for (const BarrageMessage& rec : lines)
            oneByOne.AddBarrageMessage(rec);
        CBubbleDlg batched;
        batched.SetClock([this] { return m_now; });
        batched.AddBarrageMessages(lines);
        EXPECT_EQ(batched.Messages(), oneByOne.Messages());
        EXPECT_EQ(batched.RichEdit().toPlainText(), oneByOne.RichEdit().toPlainText());
    }
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
    EXPECT_EQ(store.front().text, u"line 461");
    EXPECT_EQ(store.back().text, u"line 502");

    // The view holds exactly the stored lines, each with the time it was stored with.
    QString expected;
    for (std::size_t i = 0; i < store.size(); ++i) {
        if (i)
            expected += '\n';
        expected += QString::fromStdU16String(store[i].name) + ' ' + QString::fromStdU16String(store[i].time) +
                    QString::fromStdU16String(store[i].text);
    }
    EXPECT_EQ(ViewText(), expected);
    EXPECT_NE(store.front().time, store.back().time);
}

TEST_F(Rendering, TheOverlayCopiesTheRecordItIsSent)
{
    {
        BarrageMessage onTheSendersStack = line("Ann", "hello");
        EXPECT_EQ(m_overlay.OnBarrageMsg(0, reinterpret_cast<LPARAM>(&onTheSendersStack)), 1);
        onTheSendersStack.SetText("changed afterwards");
    }
    ASSERT_EQ(m_overlay.Messages().size(), 1u);
    EXPECT_EQ(m_overlay.Messages()[0].text, u"hello");
}

}  // namespace
}  // namespace zandrel
