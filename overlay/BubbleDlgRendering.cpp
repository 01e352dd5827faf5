// How the overlay turns a line into text: tag replacement, the time stamp, the line store with its
// trim, and the title and message runs in the view.

#include <ctime>

#include <QTextCharFormat>
#include <QTextCursor>

#include "base/TextCodec.h"
#include "overlay/BubbleDlg.h"
#include "overlay/DisplayCut.h"
#include "overlay/ImgTags.h"

namespace zandrel {
namespace {

QTextCharFormat runFormat(const QColor& colour, int pointSize)
{
    QTextCharFormat format;
    format.setForeground(colour);
    format.setFontPointSize(pointSize);
    return format;
}

std::u16string timeStamp(std::time_t now)
{
    std::tm local{};
    char text[128];
    if (!localtime_r(&now, &local) || std::strftime(text, sizeof text, "%H:%M:%S\n", &local) == 0)
        return {};
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

QString toQString(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

void CBubbleDlg::AddBarrageMessage(BarrageMessage rec)
{
    std::vector<BarrageMessage> one;
    one.push_back(std::move(rec));
    AddBarrageMessages(std::move(one));
}

void CBubbleDlg::AddBarrageMessages(std::vector<BarrageMessage> recs)
{
    // The store first, line by line as the rule goes: more than kStoreLimit lines trims it to the
    // newest, and the line that triggers the trim is shown at once.
    std::size_t added = 0;
    bool trimmed = false;
    for (BarrageMessage& rec : recs) {
        rec.m_strText = ReplaceImgTags(std::move(rec.m_strText));
        if (rec.m_strText.empty())
            continue;
        // Stored as shown: a rebuild lays out no more than the first showing did.
        rec.m_strName = CutForDisplay(std::move(rec.m_strName), kShownNameLength);
        rec.m_strText = CutForDisplay(std::move(rec.m_strText), kShownTextLength);
        rec.m_strTime = timeStamp(m_clock());
        if (m_vecMessages.size() > kStoreLimit) {
            m_vecMessages.erase(m_vecMessages.begin(), m_vecMessages.begin() + kTrimCount);
            trimmed = true;
        }
        m_vecMessages.push_back(std::move(rec));
        ++added;
    }
    if (added == 0)
        return;
    // Then the view, in one edit: after a trim it is rebuilt from what the store kept, so lines
    // that a later trim in the same batch drops are never laid out.
    QTextCursor edit(m_richEdit.document());
    edit.beginEditBlock();
    if (trimmed) {
        RefreshAllMessages();
    } else {
        for (auto it = m_vecMessages.end() - static_cast<std::ptrdiff_t>(added); it != m_vecMessages.end(); ++it)
            ShowBarrageMessage(*it);
    }
    edit.endEditBlock();
}

void CBubbleDlg::ShowBarrageMessage(const BarrageMessage& rec)
{
    const bool bNewLine = !m_richEdit.document()->isEmpty();
    // Both runs in one edit block, so that the view lays out once per line.
    QTextCursor batch(m_richEdit.document());
    batch.beginEditBlock();
    AppendTitle(AnsiToWide(rec.m_strName), rec.m_strTime, bNewLine);
    AppendContent(AnsiToWide(rec.m_strText));
    batch.endEditBlock();
}

void CBubbleDlg::AppendTitle(const std::u16string& name, const std::u16string& time, bool bNewLine)
{
    std::u16string title = bNewLine ? u"\n" : u"";
    title += name;
    title += u' ';
    title += time;
    m_richEdit.AppendText(toQString(title), runFormat(kTitleColour, m_nTextPointSize));
}

void CBubbleDlg::AppendContent(const std::u16string& text)
{
    m_richEdit.AppendText(toQString(text), runFormat(kMessageColour, m_nTextPointSize));
}

void CBubbleDlg::RefreshAllMessages()
{
    m_richEdit.ClearText();
    for (const BarrageMessage& rec : m_vecMessages)
        ShowBarrageMessage(rec);
}

}  // namespace zandrel
