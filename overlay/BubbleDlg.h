#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QColor>
#include <QElapsedTimer>
#include <QLabel>
#include <QPoint>
#include <QTextCharFormat>
#include <QTimer>
#include <QWidget>

#include "base/WindowMessage.h"
#include "linerules/LineFilter.h"
#include "linerules/RepeatMerger.h"
#include "overlay/BubbleCtrlDlg.h"
#include "overlay/LineStore.h"
#include "overlay/UiRichEdit.h"
#include "session/BarrageMessage.h"
#include "session/OverlayQueue.h"

namespace zandrel {

// How the streamer's rules colour lines: gifts in a colour of their own (and bold) when they are to
// stand out, and highlighted lines wholly in the highlight colour.
struct LineLook {
    static inline const QColor kDefaultGiftColour{255, 128, 0};
    static inline const QColor kDefaultHighlightColour{255, 230, 0};

    bool giftsStandOut = false;
    QColor giftColour = kDefaultGiftColour;
    QColor highlightColour = kDefaultHighlightColour;

    friend bool operator==(const LineLook&, const LineLook&) = default;
};

// A line that got past the block list, as those who listen (read-aloud, the chat log) hear of it.
struct PassedLine {
    ShownLine line;
    LineVerdict verdict = LineVerdict::Show;  // Show, Highlight, or Hide (only gifts and highlights show)
    bool merged = false;                      // a repeat, counted in an earlier line
    // For a repeat, the earlier line it counted into: its serial in the overlay's store, when it was
    // shown, and how many lines it stands for now, this one included.
    std::uint64_t into = 0;
    std::time_t intoShownAt{};
    int count = 1;
};

// The overlay: a frameless, semi-transparent, always-on-top tool window at the right edge of the
// screen, in which the chat lines appear, with the lock handle on its top-right corner. It is
// created hidden and reachable as a window handle (Handle()). The session's commands (lines, show,
// hide, raise) wait in its queue (Queue()) and are taken on the UI thread at WM_BARRAGE_DRAIN; the
// handle's lock changes arrive as its lockToggled signal. It never takes the focus, so a game keeps
// the keyboard.
class CBubbleDlg : public QWidget, public IMessageReceiver {
    Q_OBJECT
public:
    static constexpr qreal kOpacity = 160 / 255.0;
    static constexpr int kScreenGap = 20;     // from the screen's right edge
    static constexpr int kCornerEllipse = 6;  // the rounded corners' ellipse, in pixels
    static constexpr int kTopmostIntervalMs = 100;
    static constexpr int kHandleRightInset = 23;
    static constexpr int kHandleTopInset = 5;
    static constexpr int kTextPointSize = 10;        // unless the user chooses another
    static constexpr qint64 kFrameMs = 16;           // at most one paint of the view per display frame
    static constexpr qint64 kDrainBudgetMs = 8;      // how long one drain of the session's queue may take
    static constexpr std::size_t kDrainChunk = 128;  // commands laid out together
    static inline const QColor kTitleColour{10, 160, 255};
    static inline const QColor kMessageColour{252, 252, 252};
    static inline const QColor kCountColour{255, 170, 80};  // a merged line's count

    CBubbleDlg();
    ~CBubbleDlg() override;

    HWND Handle() const { return m_hWnd; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnBarrageMsg(WPARAM wParam, LPARAM lParam);

    // The session's commands for this overlay, in order: whoever sends pushes here, and the first
    // command into an empty queue posts WM_BARRAGE_DRAIN to this window, which takes them.
    COverlayQueue& Queue() { return m_queue; }
    // Carries out the session's commands in order (see COverlayQueue).
    void ApplyCommands(std::vector<OverlayCommand> commands);

    // Rendering of chat lines: each is converted once into the store (CLineStore), then shown.
    void AddBarrageMessage(BarrageMessage rec);
    // Stores and shows lines as AddBarrageMessage does one by one, laying out only what survives
    // the store's trims, in one edit of the view.
    void AddBarrageMessages(std::vector<BarrageMessage> recs);
    void ShowBarrageMessage(const ShownLine& line);
    // The title run (name and time) and the message run, in the given formats.
    void AppendTitle(const std::u16string& name, const std::u16string& time, bool bNewLine,
                     const QTextCharFormat& format);
    void AppendContent(const QString& text, const QTextCharFormat& format);
    void RefreshAllMessages();

    const std::vector<ShownLine>& Messages() const { return m_store.Lines(); }
    CUiRichEdit& RichEdit() { return m_richEdit; }
    CBubbleCtrlDlg& CtrlDlg() { return m_ctrlDlg; }
    bool IsClickThrough() const;
    // The look the user chose: the text's point size, the background's opacity (0 to 1) and the
    // overlay's size. The shown lines take the new size at once.
    void SetLook(int textPointSize, qreal opacity, const QSize& size);
    int TextPointSize() const { return m_nTextPointSize; }
    // How opaque the overlay's background is; the text is drawn solid on it.
    qreal Opacity() const { return m_opacity; }
    // The size the design gives the overlay.
    static QSize DesignSize();
    // Puts the overlay back at its start position unless it is wholly on a screen (with its
    // handle). Run whenever a screen is added, removed or changes size.
    void KeepOnScreen();
    // Puts the overlay where it was left in an earlier run, if the whole of it (its handle with it)
    // is on a screen there now. False, and no move, otherwise.
    bool RestorePosition(const QPoint& position);
    bool IsKeptOnTop() const { return m_topmostTimer.isActive(); }
    // A line below the chat that says what the session does while it is not in the room (the
    // reconnect and its countdown), the same text as the main window's status line; empty hides it.
    void SetStatusStrip(const QString& text);
    const QLabel& StatusStrip() const { return m_statusStrip; }

signals:
    // Lines the block list kept out of the overlay: how many in the batch just taken.
    void linesBlocked(int count);

public:
    // The streamer's rules for lines (block, highlight, only gifts, merged repeats) and their colours.
    // They apply at once: the stored lines are judged again and shown in the new colours.
    void SetLineRules(const LineRuleSettings& rules, const LineLook& look);
    const CLineFilter& Filter() const { return m_filter; }
    // Who hears of each line that got past the block list, in batches, on the UI thread; nobody
    // by default.
    void SetLineListener(std::function<void(const std::vector<PassedLine>&)> listener)
    {
        m_lineListener = std::move(listener);
    }
    // Empties the overlay: its lines, and what repeats would merge into.
    void ClearLines();
    // A new session is to join `room`: what the old one left in the queue is shown now, and when
    // the new one's first line comes, a separator line "—— 直播室 N ——" goes before it (or, with
    // `clear`, the old lines go). Nothing is marked on an empty overlay. Call once the old session
    // is stopped, before the new one starts.
    void BeginRoom(int room, bool clear);
    static QString SeparatorText(int room);
    // For tests: the clock that stamps lines.
    void SetClock(std::function<std::time_t()> clock) { m_clock = std::move(clock); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void PlaceAtScreenEdge();
    void WatchScreens();
    void PlaceHandle();
    // The text and, while it shows, the status strip below it.
    void LayOutText();
    void SetClickThrough(bool on);
    void OnTimer();
    void RaiseWithHandle();
    void ScheduleDrain();
    void DrainQueue();
    void OnFrame();
    // The count of a stored line that repeats merged into, shown again in place.
    void ShowCount(std::uint64_t serial);
    // The separator's two paragraphs: its text, centred, and an empty one of no height (every
    // stored line is two paragraphs).
    void ShowSeparator(const ShownLine& line, bool bNewLine);
    // The formats of a line's title and text under the current look.
    QTextCharFormat TitleFormat(const ShownLine& line) const;
    QTextCharFormat TextFormat(const ShownLine& line) const;
    QTextCharFormat CountFormat(const ShownLine& line) const;

    COverlayQueue m_queue;
    CLineStore m_store;
    CUiRichEdit m_richEdit;
    QLabel m_statusStrip;
    CBubbleCtrlDlg m_ctrlDlg;
    QWidget* m_hCtrlWnd = nullptr;  // the handle's window, once it exists; it follows every move
    int m_nTextPointSize = kTextPointSize;
    qreal m_opacity = kOpacity;
    QTimer m_topmostTimer;
    QTimer m_drainTimer;
    QTimer m_frameTimer;  // running while painting is held back until the frame is due
    QElapsedTimer m_sinceFrame;
    std::function<std::time_t()> m_clock;
    LineRuleSettings m_rules;
    LineLook m_look;
    CLineFilter m_filter;
    CRepeatMerger m_merger;
    std::function<void(const std::vector<PassedLine>&)> m_lineListener;
    // The room whose first line is yet to come, after BeginRoom.
    std::optional<int> m_newRoom;
    bool m_bClearForNewRoom = false;
    bool m_dragging = false;  // our own move loop, where the window system offers none
    QPoint m_dragOffset;
    HWND m_hWnd;
};

}  // namespace zandrel
