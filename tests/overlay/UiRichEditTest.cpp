#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

#include "overlay/CommandEvent.h"
#include "overlay/UiRichEdit.h"

namespace zandrel {
namespace {

struct Segment {
    QString text;
    bool link;
    friend bool operator==(const Segment&, const Segment&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Segment& s)
    {
        return out << (s.link ? "link:" : "plain:") << s.text.toStdString();
    }
};

// The view's runs in order, as text and link state; a link's target must be its own text.
std::vector<Segment> segmentsOf(const CUiRichEdit& view)
{
    std::vector<Segment> segments;
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const bool link = fragment.charFormat().isAnchor();
            EXPECT_EQ(link ? fragment.charFormat().anchorHref() : QString(), link ? fragment.text() : QString());
            segments.push_back({fragment.text(), link});
        }
    }
    return segments;
}

struct LinkCase {
    QString text;
    std::vector<Segment> segments;
};

TEST(UiRichEdit, LinkRunsFollowTheAddressScan)
{
    const std::vector<LinkCase> cases = {
        {"see http://a.b/c?d=1 now", {{"see ", false}, {"http://a.b/c?d=1", true}, {" now", false}}},
        {"http://", {{"http://", false}}},
        {"http:// x", {{"http:// x", false}}},
        {"HTTP://x", {{"HTTP://x", false}}},
        {"https://x", {{"https://x", false}}},
        {"http://a-b", {{"http://a", true}, {"-b", false}}},
        {"http://x.", {{"http://x.", true}}},
        {"xhttp://a", {{"x", false}, {"http://a", true}}},
        {"go http://x)", {{"go ", false}, {"http://x", true}, {")", false}}},
        {"http://a http://b", {{"http://a", true}, {" ", false}, {"http://b", true}}},
        {"a http://!", {{"a http://!", false}}},
        {QStringLiteral("http://x中文"), {{"http://x", true}, {QStringLiteral("中文"), false}}},
        {"http://a=+?#%/:&Z9_", {{"http://a=+?#%/:&Z9", true}, {"_", false}}},
        {"", {}},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        CUiRichEdit view;
        QTextCharFormat format;
        format.setForeground(QColor(1, 2, 3));
        EXPECT_TRUE(view.AppendText(c.text, format));
        EXPECT_EQ(segmentsOf(view), c.segments);
        EXPECT_EQ(view.toPlainText(), c.text);
    }
}

TEST(UiRichEdit, RunsKeepTheCallersFormat)
{
    CUiRichEdit view;
    QTextCharFormat format;
    format.setForeground(QColor(10, 160, 255));
    format.setFontPointSize(10);
    view.AppendText("a http://b c", format);
    const QTextBlock block = view.document()->begin();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        EXPECT_EQ(it.fragment().charFormat().foreground().color(), QColor(10, 160, 255));
        EXPECT_EQ(it.fragment().charFormat().fontPointSize(), 10);
    }
}

TEST(UiRichEdit, AddressCharactersAreExactlyTheAsciiSet)
{
    const QString allowed = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.=+?#%/:&";
    for (unsigned ch = 0; ch <= 0xFFFF; ++ch)
        EXPECT_EQ(CUiRichEdit::IsUrlChar(static_cast<char16_t>(ch)), allowed.contains(QChar(ch))) << ch;
}

class ShownView : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_parent.resize(300, 200);
        m_view = new CUiRichEdit(&m_parent, 1002);
        m_view->setGeometry(0, 0, 200, 100);
        m_parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
    }
    void AppendLines(int count)
    {
        for (int i = 0; i < count; ++i)
            m_view->AppendText(QStringLiteral("line %1\n").arg(i), QTextCharFormat());
    }
    QScrollBar& Scroll() { return *m_view->verticalScrollBar(); }

    QWidget m_parent;
    CUiRichEdit* m_view = nullptr;
};

TEST_F(ShownView, AnAppendScrollsToTheEnd)
{
    AppendLines(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Scroll().maximum() > 0 && Scroll().value() == Scroll().maximum(); }));
    AppendLines(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Scroll().value() == Scroll().maximum(); }));
}

TEST_F(ShownView, ASelectionIsKeptAndTheViewDoesNotScroll)
{
    AppendLines(50);
    QTest::qWait(0);
    QTextCursor selection(m_view->document());
    selection.setPosition(3);
    selection.setPosition(9, QTextCursor::KeepAnchor);
    m_view->setTextCursor(selection);
    Scroll().setValue(0);

    AppendLines(5);
    QTest::qWait(50);
    EXPECT_EQ(m_view->textCursor().selectionStart(), 3);
    EXPECT_EQ(m_view->textCursor().selectionEnd(), 9);
    EXPECT_EQ(Scroll().value(), 0);
}

TEST_F(ShownView, ALeftClickOnALinkOpensItOnceOnRelease)
{
    std::vector<QUrl> opened;
    m_view->SetLinkOpener([&](const QUrl& url) { opened.push_back(url); });
    m_view->AppendText("go http://x.y/z?q=1 now", QTextCharFormat());
    QTextCursor inLink(m_view->document());
    inLink.setPosition(8);
    const QPoint point = m_view->cursorRect(inLink).center();

    QTest::mousePress(m_view->viewport(), Qt::LeftButton, {}, point);
    EXPECT_TRUE(opened.empty());
    QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, {}, point);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl("http://x.y/z?q=1"));

    QTextCursor inPlain(m_view->document());
    inPlain.setPosition(1);
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, m_view->cursorRect(inPlain).center());
    EXPECT_EQ(opened.size(), 1u);
}

// Records the commands its controls post to it.
class CommandRecorder : public QWidget {
public:
    std::vector<int> commands;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == CommandEvent::Type()) {
            commands.push_back(static_cast<CommandEvent*>(e)->ControlId());
            return true;
        }
        return QWidget::event(e);
    }
};

TEST(UiRichEdit, ARightPressPostsTheCommandToTheParentAndNothingElse)
{
    CommandRecorder parent;
    auto* view = new CUiRichEdit(&parent, 1002);
    view->setGeometry(0, 0, 200, 100);
    std::vector<QUrl> opened;
    view->SetLinkOpener([&](const QUrl& url) { opened.push_back(url); });
    view->AppendText("http://x.y/z", QTextCharFormat());
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTextCursor inLink(view->document());
    inLink.setPosition(3);

    QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->cursorRect(inLink).center());
    EXPECT_TRUE(parent.commands.empty());  // posted, not sent
    QTest::qWait(0);
    EXPECT_EQ(parent.commands, std::vector<int>{1002});
    EXPECT_TRUE(opened.empty());
    EXPECT_FALSE(view->textCursor().hasSelection());
}

TEST_F(ShownView, WhileIgnoringTheViewNeverChangesTheCursor)
{
    m_view->AppendText("http://x.y/z", QTextCharFormat());
    QTextCursor inLink(m_view->document());
    inLink.setPosition(3);
    const QPoint point = m_view->cursorRect(inLink).center();

    const auto hover = [&] {
        QMouseEvent move(QEvent::MouseMove, point, m_view->viewport()->mapToGlobal(point), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &move);
    };
    m_view->SetIgnoreSetCursor(true);
    m_view->viewport()->setCursor(Qt::WaitCursor);
    hover();
    EXPECT_EQ(m_view->viewport()->cursor().shape(), Qt::WaitCursor);

    m_view->SetIgnoreSetCursor(false);
    hover();
    EXPECT_EQ(m_view->viewport()->cursor().shape(), Qt::PointingHandCursor);
}

TEST(UiRichEdit, KeepsNoUndoHistoryAndClearsWhole)
{
    CUiRichEdit view;
    for (int i = 0; i < 100; ++i)
        view.AppendText(QStringLiteral("line %1 http://x/%1\n").arg(i), QTextCharFormat());
    EXPECT_FALSE(view.document()->isUndoRedoEnabled());
    EXPECT_EQ(view.document()->availableUndoSteps(), 0);
    EXPECT_TRUE(view.isReadOnly());
    EXPECT_TRUE(view.ClearText());
    EXPECT_TRUE(view.document()->isEmpty());
    EXPECT_EQ(view.palette().color(QPalette::Base), QColor(Qt::black));
}

}  // namespace
}  // namespace zandrel
