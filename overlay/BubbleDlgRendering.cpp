// How the overlay turns a line into text: tag replacement, the streamer's rules (block, highlight,
// only gifts, merged repeats), the time stamp, the line store with its trim, and the title and
// message runs in the view.

#include <ctime>

#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>

#include "overlay/BubbleDlg.h"
#include "overlay/DisplayCut.h"
#include "overlay/ImgTags.h"

namespace zandrel {
namespace {

constexpr std::size_t kShownUidLength = 64;

std::u16string timeStamp(std::time_t now)
{
    std::tm local{};
    char text[128];
    if (!localtime_r(&now, &local) || std::strftime(text, sizeof text, "%H:%M:%S\n", &local) == 0)
        return {};
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

QString toQString(const std::u16string& text) { return QString::fromStdU16String(text); }

QStringView view(const std::u16string& text) { return QStringView(text.data(), static_cast<qsizetype>(text.size())); }

// What follows a line's text once repeats have merged into it: " ×12".
QString countSuffix(int count) { return count > 1 ? QStringLiteral(" \u00D7%1").arg(count) : QString(); }

// Identical lines: the same kind, sender and text.
std::u16string repeatKey(const ShownLine& line)
{
    std::u16string key;
    key.reserve(line.name.size() + line.text.size() + 2);
    key += static_cast<char16_t>(u'0' + static_cast<int>(line.kind));
    key += line.name;
    key += u'\0';
    key += line.text;
    return key;
}

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
    // once: tags replaced in the code page, then UTF-16, cut as it will be shown. The streamer's
    // rules judge it as it will be shown.
    std::size_t added = 0;
    bool trimmed = false;
    int blocked = 0;
    std::vector<std::uint64_t> grown;  // earlier lines that repeats merged into
    std::vector<PassedLine> passed;
    if (m_newRoom && !recs.empty()) {
        // The new session's first line (its join): the old room's lines end here.
        if (m_bClearForNewRoom) {
            ClearLines();
        } else if (!m_store.Lines().empty()) {
            ShownLine separator;
            separator.text = SeparatorText(*m_newRoom).toStdU16String();
            separator.kind = LineKind::Own;  // the program's own: no rule blocks or hides it
            separator.separator = true;
            separator.shownAt = m_clock();
            trimmed |= m_store.Add(std::move(separator));
            ++added;
        }
        m_newRoom.reset();
    }
    for (BarrageMessage& rec : recs) {
        const std::string text = ReplaceImgTags(std::move(rec.m_strText));
        if (text.empty())
            continue;
        ShownLine line{CutForDisplay(rec.m_strName, kShownNameLength),
                       CutForDisplay(text, kShownTextLength),
                       {},
                       CutForDisplay(rec.m_strUid, kShownUidLength),
                       rec.m_kind};
        KeepInOneParagraph(line.name);
        KeepInOneParagraph(line.text);
        const LineVerdict verdict = m_filter.PassesAll()
                                        ? LineVerdict::Show
                                        : m_filter.Judge(line.kind, view(line.name), view(line.uid), view(line.text));
        if (verdict == LineVerdict::Block) {
            ++blocked;
            continue;
        }
        const std::time_t now = m_clock();
        line.shownAt = now;
        line.highlighted = verdict == LineVerdict::Highlight;
        if (verdict == LineVerdict::Hide) {
            if (m_lineListener)
                passed.push_back({std::move(line), verdict, false});
            continue;
        }
        if (m_rules.mergeRepeats && line.kind != LineKind::Own) {
            if (const auto into = m_merger.Merge(repeatKey(line), m_store.NextSerial(), now, m_rules.mergeSeconds,
                                                 m_store.FirstSerial())) {
                ShownLine& earlier = m_store.At(*into);
                ++earlier.count;
                grown.push_back(*into);
                if (m_lineListener)
                    passed.push_back({std::move(line), verdict, true, *into, earlier.shownAt, earlier.count});
                continue;
            }
        }
        line.time = timeStamp(now);
        if (m_lineListener)
            passed.push_back({line, verdict, false});
        trimmed |= m_store.Add(std::move(line));
        ++added;
    }
    if (added > 0 || !grown.empty()) {
        // Then the view, in one edit: after a trim it is rebuilt from what the store kept, so lines
        // that a later trim in the same batch drops are never laid out.
        QTextCursor edit(m_richEdit.document());
        edit.beginEditBlock();
        if (trimmed) {
            RefreshAllMessages();
        } else {
            // Counts of lines shown before this batch; the new ones show theirs as they are laid out.
            const std::uint64_t firstNew = m_store.NextSerial() - added;
            for (const std::uint64_t serial : grown)
                if (serial < firstNew)
                    ShowCount(serial);
            const std::vector<ShownLine>& lines = m_store.Lines();
            for (auto it = lines.end() - static_cast<std::ptrdiff_t>(added); it != lines.end(); ++it)
                ShowBarrageMessage(*it);
        }
        edit.endEditBlock();
    }
    if (blocked > 0)
        emit linesBlocked(blocked);
    if (m_lineListener && !passed.empty())
        m_lineListener(passed);
}

void CBubbleDlg::ShowCount(std::uint64_t serial)
{
    // Each line is two paragraphs, its title's and its text's (see KeepInOneParagraph), in the
    // store's order: the text of the line at index i is paragraph 2i + 1. The count follows the
    // text to the paragraph's end.
    const ShownLine& line = m_store.At(serial);
    const QTextBlock block =
        m_richEdit.document()->findBlockByNumber(static_cast<int>(2 * m_store.IndexOf(serial) + 1));
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + static_cast<int>(line.text.size()));
    cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(countSuffix(line.count), CountFormat(line));
}

void CBubbleDlg::ShowBarrageMessage(const ShownLine& line)
{
    const bool bNewLine = !m_richEdit.document()->isEmpty();
    // Both runs in one edit block, so that the view lays out once per line.
    QTextCursor batch(m_richEdit.document());
    batch.beginEditBlock();
    if (line.separator) {
        ShowSeparator(line, bNewLine);
        batch.endEditBlock();
        return;
    }
    // A paragraph split from another takes its look: after a separator, the line starts a plain one.
    if (bNewLine && m_richEdit.document()->lastBlock().blockFormat() != QTextBlockFormat()) {
        QTextCursor end(m_richEdit.document());
        end.movePosition(QTextCursor::End);
        end.insertBlock(QTextBlockFormat(), TitleFormat(line));
        AppendTitle(line.name, line.time, false, TitleFormat(line));
    } else {
        AppendTitle(line.name, line.time, bNewLine, TitleFormat(line));
    }
    AppendContent(toQString(line.text), TextFormat(line));
    if (line.count > 1)
        AppendContent(countSuffix(line.count), CountFormat(line));
    batch.endEditBlock();
}

void CBubbleDlg::ShowSeparator(const ShownLine& line, bool bNewLine)
{
    QTextCharFormat format;
    format.setFontPointSize(m_nTextPointSize);
    format.setForeground(kTitleColour);
    m_richEdit.AppendText((bNewLine ? QStringLiteral("\n") : QString()) + toQString(line.text) + QLatin1Char('\n'),
                          format);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    QTextCursor(m_richEdit.document()->lastBlock().previous()).setBlockFormat(centred);
    QTextBlockFormat empty;
    empty.setLineHeight(0, QTextBlockFormat::FixedHeight);
    QTextCursor(m_richEdit.document()->lastBlock()).setBlockFormat(empty);
}

QString CBubbleDlg::SeparatorText(int room) { return QStringLiteral("—— 直播室 %1 ——").arg(room); }

void CBubbleDlg::BeginRoom(int room, bool clear)
{
    ZANDREL_ASSERT_UI_THREAD();
    // The old session is stopped: what it queued is all it will send, and it belongs before the mark.
    bool more = true;
    while (more)
        ApplyCommands(m_queue.Take(COverlayQueue::kDefaultCapacity, more));
    m_newRoom = room;
    m_bClearForNewRoom = clear;
}

void CBubbleDlg::AppendTitle(const std::u16string& name, const std::u16string& time, bool bNewLine,
                             const QTextCharFormat& format)
{
    std::u16string title = bNewLine ? u"\n" : u"";
    title += name;
    title += u' ';
    title += time;
    m_richEdit.AppendText(toQString(title), format);
}

void CBubbleDlg::AppendContent(const QString& text, const QTextCharFormat& format)
{
    m_richEdit.AppendText(text, format);
}

QTextCharFormat CBubbleDlg::TitleFormat(const ShownLine& line) const
{
    QTextCharFormat format = TextFormat(line);
    if (!line.highlighted && !(line.kind == LineKind::Gift && m_look.giftsStandOut))
        format.setForeground(kTitleColour);
    return format;
}

QTextCharFormat CBubbleDlg::TextFormat(const ShownLine& line) const
{
    QTextCharFormat format;
    format.setFontPointSize(m_nTextPointSize);
    if (line.highlighted) {
        format.setForeground(m_look.highlightColour);
    } else if (line.kind == LineKind::Gift && m_look.giftsStandOut) {
        format.setForeground(m_look.giftColour);
        format.setFontWeight(QFont::Bold);
    } else {
        format.setForeground(kMessageColour);
    }
    return format;
}

QTextCharFormat CBubbleDlg::CountFormat(const ShownLine& line) const
{
    // In a colour of its own and bold, so that a merged line reads as one that many people said.
    QTextCharFormat format = TextFormat(line);
    format.setForeground(kCountColour);
    format.setFontWeight(QFont::Bold);
    return format;
}

void CBubbleDlg::RefreshAllMessages()
{
    m_richEdit.ClearText();
    for (const ShownLine& line : m_store.Lines())
        ShowBarrageMessage(line);
}

void CBubbleDlg::SetLineRules(const LineRuleSettings& rules, const LineLook& look)
{
    const bool rulesChanged = rules != m_rules;
    if (!rulesChanged && look == m_look)
        return;
    m_look = look;
    if (rulesChanged) {
        m_rules = rules;
        m_filter = CLineFilter(rules);
        // The stored lines under the new rules: those now blocked or hidden go, the highlights
        // follow the lists. Merged counts stay; later repeats start lines of their own.
        std::vector<ShownLine> kept;
        for (ShownLine line : m_store.Lines()) {
            const LineVerdict verdict = m_filter.Judge(line.kind, view(line.name), view(line.uid), view(line.text));
            if (verdict == LineVerdict::Block || verdict == LineVerdict::Hide)
                continue;
            line.highlighted = verdict == LineVerdict::Highlight;
            kept.push_back(std::move(line));
        }
        m_store.Replace(std::move(kept));
        m_merger.Clear();
    }
    RefreshAllMessages();
}

void CBubbleDlg::ClearLines()
{
    m_store.Replace({});
    m_merger.Clear();
    m_richEdit.ClearText();
}

}  // namespace zandrel
