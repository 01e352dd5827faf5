#include "overlay/UiRichEdit.h"

#include <cmath>

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include "overlay/CommandEvent.h"

namespace zandrel {
namespace {

constexpr QStringView kLinkPrefix = u"http://";

}  // namespace

CUiRichEdit::CUiRichEdit(QWidget* parent, int controlId)
    : QTextEdit(parent), m_controlId(controlId), m_openLink([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setFrameShape(QFrame::NoFrame);
    setAcceptRichText(false);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        colours.setColor(group, QPalette::Base, Qt::black);
        colours.setColor(group, QPalette::Window, Qt::black);
    }
    setPalette(colours);
    viewport()->setAutoFillBackground(true);
}

bool CUiRichEdit::IsUrlChar(char16_t ch)
{
    if ((ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9'))
        return true;
    switch (ch) {
    case u'.':
    case u'=':
    case u'+':
    case u'?':
    case u'#':
    case u'%':
    case u'/':
    case u':':
    case u'&':
        return true;
    default:
        return false;
    }
}

bool CUiRichEdit::AppendText(const QString& text, const QTextCharFormat& format)
{
    const QTextCursor before = textCursor();
    const bool hadSelection = before.hasSelection();

    QTextCharFormat linkFormat = format;
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    // One edit block: the document lays itself out once for the whole append, not once per run.
    end.beginEditBlock();

    const auto append = [&](qsizetype from, qsizetype to, bool link) {
        if (from >= to)
            return;
        const QString piece = text.mid(from, to - from);
        if (link) {
            linkFormat.setAnchor(true);
            linkFormat.setFontUnderline(true);  // how a link run shows
            linkFormat.setAnchorHref(piece);
            end.insertText(piece, linkFormat);
        } else {
            end.insertText(piece, format);
        }
    };
    const qsizetype n = text.size();
    qsizetype plainStart = 0;
    qsizetype i = 0;
    while (i < n) {
        if (i + kLinkPrefix.size() < n && QStringView(text).mid(i, kLinkPrefix.size()) == kLinkPrefix &&
            IsUrlChar(text[i + kLinkPrefix.size()].unicode())) {
            qsizetype j = i + kLinkPrefix.size() + 1;
            while (j < n && IsUrlChar(text[j].unicode()))
                ++j;
            append(plainStart, i, false);
            append(i, j, true);
            plainStart = i = j;
        } else {
            ++i;
        }
    }
    append(plainStart, n, false);
    end.endEditBlock();

    if (hadSelection) {
        setTextCursor(before);
    } else {
        // Queued, so that it runs once the caller's handling is done and the view has laid out what
        // was appended. One pending scroll serves any number of appends before it.
        if (!m_bScrollPosted) {
            m_bScrollPosted = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_bScrollPosted = false;
                    ScrollToEnd();
                },
                Qt::QueuedConnection);
        }
    }
    return true;
}

void CUiRichEdit::ScrollToEnd()
{
    if (m_bWholeLinesAtTop) {
        // The margin first: it changes the viewport's height, and with it where the end is.
        const int cut = TopRowCut();
        if (cut != viewportMargins().top())
            setViewportMargins(0, cut, 0, 0);
    }
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

int CUiRichEdit::TopRowCut() const
{
    // Where the view's top would be, at the end, without a margin.
    const int area = viewport()->height() + viewportMargins().top();
    const qreal top = document()->size().height() - area;
    if (top <= 0)
        return 0;
    const QAbstractTextDocumentLayout* layout = document()->documentLayout();
    // The view shows the last few blocks: walk back from the end to the one at the top.
    QTextBlock block = document()->lastBlock();
    while (block.isValid() && layout->blockBoundingRect(block).top() > top)
        block = block.previous();
    if (!block.isValid() || !block.layout())
        return 0;
    const qreal blockTop = layout->blockBoundingRect(block).top();
    const QTextLayout& rows = *block.layout();
    for (int i = 0; i < rows.lineCount(); ++i) {
        const QTextLine row = rows.lineAt(i);
        const qreal rowTop = blockTop + row.y();
        const qreal rowBottom = rowTop + row.height();
        if (rowTop < top && top < rowBottom)
            return static_cast<int>(std::ceil(rowBottom - top));
    }
    return 0;
}

bool CUiRichEdit::ClearText()
{
    QTextCursor all(document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    return true;
}

void CUiRichEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::RightButton) {
        QTextEdit::mousePressEvent(event);
        return;
    }
    // A right press only takes the focus and tells the parent (a CommandEvent with this control's
    // id); it opens no menu. The overlay's view takes no mouse input, so there it never comes; a
    // parent that uses the view as a control receives it.
    setFocus(Qt::MouseFocusReason);
    if (QWidget* parent = parentWidget())
        QCoreApplication::postEvent(parent, new CommandEvent(m_controlId));
    event->accept();
}

void CUiRichEdit::mouseReleaseEvent(QMouseEvent* event)
{
    QTextEdit::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QString href = anchorAt(event->position().toPoint());
    if (!href.isEmpty() && m_openLink)
        m_openLink(QUrl(href));
}

void CUiRichEdit::mouseMoveEvent(QMouseEvent* event)
{
    const QCursor kept = viewport()->cursor();
    QTextEdit::mouseMoveEvent(event);
    if (m_bIgnoreSetCursor)
        viewport()->setCursor(kept);
    else
        viewport()->setCursor(anchorAt(event->position().toPoint()).isEmpty() ? Qt::IBeamCursor
                                                                              : Qt::PointingHandCursor);
}

}  // namespace zandrel
