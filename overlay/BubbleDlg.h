#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include <QElapsedTimer>
#include <QLabel>
#include <QPoint>
#include <QTimer>
#include <QWidget>

#include "base/WindowMessage.h"
#include "overlay/BubbleCtrlDlg.h"
#include "overlay/LineStore.h"
#include "overlay/UiRichEdit.h"
#include "session/BarrageMessage.h"
#include "session/OverlayQueue.h"

namespace zandrel {

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
    void AppendTitle(const std::u16string& name, const std::u16string& time, bool bNewLine);
    void AppendContent(const std::u16string& text);
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
    bool m_dragging = false;  // our own move loop, where the window system offers none
    QPoint m_dragOffset;
    HWND m_hWnd;
};

}  // namespace zandrel
