// How the overlay turns a line into text: tag replacement, the time stamp, the line store with its
// trim, and the title and message runs in the view.

#include <ctime>

#include <QTextCharFormat>
#include <QTextCursor>

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
    // The store first, line by line as the rule goes: more than the store's limit trims it to the
    // newest, and the line that triggers the trim is shown at once. Each line is converted here,
    // once: tags replaced in the code page, then UTF-16, cut as it will be shown.
    std::size_t added = 0;
    bool trimmed = false;
    for (BarrageMessage& rec : recs) {
        const std::string text = ReplaceImgTags(std::move(rec.m_strText));
        if (text.empty())
            continue;
        trimmed |= m_store.Add({CutForDisplay(rec.m_strName, kShownNameLength), CutForDisplay(text, kShownTextLength),
                                timeStamp(m_clock())});
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
        const std::vector<ShownLine>& lines = m_store.Lines();
        for (auto it = lines.end() - static_cast<std::ptrdiff_t>(added); it != lines.end(); ++it)
            ShowBarrageMessage(*it);
    }
    edit.endEditBlock();
}

void CBubbleDlg::ShowBarrageMessage(const ShownLine& line)
{
    const bool bNewLine = !m_richEdit.document()->isEmpty();
    // Both runs in one edit block, so that the view lays out once per line.
    QTextCursor batch(m_richEdit.document());
    batch.beginEditBlock();
    AppendTitle(line.name, line.time, bNewLine);
    AppendContent(line.text);
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
    for (const ShownLine& line : m_store.Lines())
        ShowBarrageMessage(line);
}

}  // namespace zandrel
