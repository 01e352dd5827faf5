#pragma once

#include <QColor>
#include <QPainter>
#include <QWidget>

namespace zandrel {

// The overlay's lock handle: a small round window on the overlay's top-right corner. Each left press
// (the second press of a double click too) locks or unlocks the overlay: lockToggled tells the
// overlay, which connects to it. UI thread only.
class CBubbleCtrlDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSize = 20;
    static constexpr qreal kOpacity = 120 / 255.0;
    // Unlocked: a dark disc in a light ring. Locked: a light disc with a dark padlock on it, so
    // that the two differ in shape as well as in shade, whatever the screen under them.
    static inline const QColor kLockedColour{235, 235, 235};
    static inline const QColor kUnlockedColour{50, 50, 50};
    static inline const QColor kRingColour{190, 190, 190};
    static inline const QColor kPadlockColour{20, 20, 20};
    static constexpr qreal kRingWidth = 1.5;

    // `owner` is the overlay: the handle is a window of its own that stays above it.
    explicit CBubbleCtrlDlg(QWidget* owner);

    bool IsLocked() const { return m_bLocked; }
    // What a click does: locks or unlocks, and tells the overlay. Also for the global hotkey and the
    // tray menu, which reach the lock while a game holds the mouse.
    void ToggleLock();
    QColor BackgroundColour() const { return m_bLocked ? kLockedColour : kUnlockedColour; }

signals:
    void lockToggled(bool locked);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void PaintPadlock(QPainter& painter) const;

    bool m_bLocked = false;
};

}  // namespace zandrel
