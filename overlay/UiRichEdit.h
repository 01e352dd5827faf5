#pragma once

#include <functional>

#include <QTextCharFormat>
#include <QTextEdit>
#include <QUrl>

namespace zandrel {

// A read-only rich text view that appends text at its end in a given format, shows "http://"
// addresses as links, opens a clicked link with the system's handler and keeps its last line in
// view. Its background is black. It keeps no undo history: nobody edits it, and the history would
// grow with every line.
class CUiRichEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit CUiRichEdit(QWidget* parent = nullptr, int controlId = 0);

    // Appends `text` in `format`; each "http://" followed by address characters becomes a link run
    // in the same format. A selection made before the append is kept; without one, the view
    // scrolls to its end once the append has been handled. Always true.
    bool AppendText(const QString& text, const QTextCharFormat& format);
    // Removes all text. Always true.
    bool ClearText();
    // The characters that continue an address after "http://": ASCII letters and digits and . = + ? # % / : &
    static bool IsUrlChar(char16_t ch);
    // Scrolls to the end. With whole lines only at the top, the row that would be cut at the top
    // is left out of the view: the view starts below it, and the space above is left empty.
    void ScrollToEnd();
    void SetWholeLinesAtTop(bool value) { m_bWholeLinesAtTop = value; }
    // While set, the view never changes the mouse cursor.
    void SetIgnoreSetCursor(bool value) { m_bIgnoreSetCursor = value; }
    int ControlId() const { return m_controlId; }
    // For tests: what opens a clicked link (the system's handler by default).
    void SetLinkOpener(std::function<void(const QUrl&)> opener) { m_openLink = std::move(opener); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // How much of the top row a view of the document's end would show, in pixels: 0 when the top
    // row shows whole (or the document fits).
    int TopRowCut() const;

    bool m_bIgnoreSetCursor = false;
    bool m_bWholeLinesAtTop = false;
    bool m_bScrollPosted = false;
    int m_controlId;
    std::function<void(const QUrl&)> m_openLink;
};

}  // namespace zandrel
