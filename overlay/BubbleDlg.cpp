#include "overlay/BubbleDlg.h"

#include <algorithm>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QScrollBar>
#include <QWindow>

#include "overlay/DialogUnits.h"
#include "overlay/OverlayPlacement.h"
#include "overlay/OverlayWindowFlags.h"

namespace zandrel {
namespace {

constexpr int kRichEditId = 1002;

// A rectangle with its corners rounded by ellipses `d` pixels across.
QRegion roundedRegion(const QRect& r, int d)
{
    QRegion region(r.adjusted(d / 2, 0, -d / 2, 0));
    region += r.adjusted(0, d / 2, 0, -d / 2);
    region += QRegion(r.left(), r.top(), d, d, QRegion::Ellipse);
    region += QRegion(r.right() - d + 1, r.top(), d, d, QRegion::Ellipse);
    region += QRegion(r.left(), r.bottom() - d + 1, d, d, QRegion::Ellipse);
    region += QRegion(r.right() - d + 1, r.bottom() - d + 1, d, d, QRegion::Ellipse);
    return region;
}

// Where the text stands in an overlay of `overlay`'s size: the design's margins around it.
QRect TextRect(const QRect& overlay)
{
    const QRect design = DialogRect(5, 6, 165, 260);
    const QSize full = DialogSize(178, 273);
    return overlay.adjusted(design.left(), design.top(), -(full.width() - design.right() - 1),
                            -(full.height() - design.bottom() - 1));
}

}  // namespace

CBubbleDlg::CBubbleDlg()
    : QWidget(nullptr, kOverlayWindowFlags), m_richEdit(this, kRichEditId), m_statusStrip(this), m_ctrlDlg(this),
      m_clock([] { return std::time(nullptr); }), m_hWnd(RegisterWindow(*this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Zandrel overlay"));
    // Translucent by its pixels' alpha (paintEvent), not by the window's opacity, which some
    // compositors ignore (sway, and Mutter for X11 clients): then it shows the same everywhere. On
    // an X server without a compositor the background is plain black, as before.
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    setFixedSize(DesignSize());
    setMask(roundedRegion(rect(), kCornerEllipse));

    // The text takes no input: presses over it reach the overlay (to drag it), and it never has
    // the focus. No scroll bars; it scrolls itself to its end.
    m_richEdit.setAttribute(Qt::WA_TransparentForMouseEvents);
    m_richEdit.setFocusPolicy(Qt::NoFocus);
    m_richEdit.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_richEdit.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_richEdit.SetIgnoreSetCursor(true);
    // A streamer glances at the overlay: half a line at its top is noise.
    m_richEdit.SetWholeLinesAtTop(true);
    // The view lets the overlay's translucent background through.
    m_richEdit.viewport()->setAutoFillBackground(false);
    QPalette viewColours = m_richEdit.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        viewColours.setColor(group, QPalette::Base, Qt::transparent);
    m_richEdit.setPalette(viewColours);
    // The strip is part of the overlay's face, not a control: presses go to the overlay (to drag).
    m_statusStrip.setAttribute(Qt::WA_TransparentForMouseEvents);
    m_statusStrip.setFocusPolicy(Qt::NoFocus);
    m_statusStrip.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QPalette stripColours = m_statusStrip.palette();
    stripColours.setColor(QPalette::WindowText, kTitleColour);
    m_statusStrip.setPalette(stripColours);
    m_statusStrip.hide();
    LayOutText();

    m_topmostTimer.setInterval(kTopmostIntervalMs);
    connect(&m_topmostTimer, &QTimer::timeout, this, [this] { OnTimer(); });
    m_drainTimer.setSingleShot(true);
    connect(&m_drainTimer, &QTimer::timeout, this, [this] { DrainQueue(); });
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] { OnFrame(); });
    connect(&m_ctrlDlg, &CBubbleCtrlDlg::lockToggled, this, &CBubbleDlg::SetClickThrough);

    winId();  // the native window exists from now on, hidden, so its input flags can change live
    m_hCtrlWnd = &m_ctrlDlg;
    PlaceAtScreenEdge();
    WatchScreens();
}

CBubbleDlg::~CBubbleDlg() { UnregisterWindow(m_hWnd); }

QSize CBubbleDlg::DesignSize() { return DialogSize(178, 273); }

void CBubbleDlg::SetLook(int textPointSize, qreal opacity, const QSize& size)
{
    if (opacity != m_opacity) {
        m_opacity = opacity;
        update();
    }
    if (size != this->size()) {
        setFixedSize(size);  // the mask, the text and the handle follow in resizeEvent
        KeepOnScreen();
    }
    if (textPointSize != m_nTextPointSize) {
        m_nTextPointSize = textPointSize;
        RefreshAllMessages();
    }
}

void CBubbleDlg::PlaceAtScreenEdge()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    move(OverlayStartPosition(screen->availableGeometry(), size(), kScreenGap));
    PlaceHandle();
}

void CBubbleDlg::WatchScreens()
{
    const auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &CBubbleDlg::KeepOnScreen);
        connect(screen, &QScreen::geometryChanged, this, &CBubbleDlg::KeepOnScreen);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, watch);
    connect(qApp, &QGuiApplication::screenRemoved, this, &CBubbleDlg::KeepOnScreen, Qt::QueuedConnection);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, &CBubbleDlg::KeepOnScreen);
}

bool CBubbleDlg::RestorePosition(const QPoint& position)
{
    if (!IsWhollyOnAScreen(QRect(position, size())))
        return false;
    move(position);
    return true;
}

void CBubbleDlg::KeepOnScreen()
{
    // Where the user left it, as long as the whole overlay with its handle is on one screen.
    if (!IsWhollyOnAScreen(frameGeometry()))
        PlaceAtScreenEdge();
}

void CBubbleDlg::PlaceHandle()
{
    if (!m_hCtrlWnd)
        return;
    const QRect frame = frameGeometry();
    m_ctrlDlg.setGeometry(frame.x() + frame.width() - kHandleRightInset, frame.y() + kHandleTopInset,
                          CBubbleCtrlDlg::kSize, CBubbleCtrlDlg::kSize);
}

LRESULT CBubbleDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    ZANDREL_ASSERT_UI_THREAD();
    switch (message) {
    case WM_BARRAGE_MSG:
        return OnBarrageMsg(wParam, lParam);
    case WM_BARRAGE_DRAIN:
        ScheduleDrain();
        return 1;
    default:
        return 0;
    }
}

LRESULT CBubbleDlg::OnBarrageMsg(WPARAM wParam, LPARAM lParam)
{
    if (lParam == 0)
        return 1;
    if (wParam == 0) {
        // The sender's record lives on its stack only for this call: copy it.
        AddBarrageMessage(*reinterpret_cast<const BarrageMessage*>(lParam));
    } else if (wParam == 1) {
        SetClickThrough(*reinterpret_cast<const bool*>(lParam));
    }
    return 1;
}

void CBubbleDlg::ScheduleDrain()
{
    // The next turn of the event loop: whatever input waits is handled first.
    if (!m_drainTimer.isActive())
        m_drainTimer.start(0);
}

void CBubbleDlg::DrainQueue()
{
    // The view repaints at most once per display frame: a drain that comes sooner than a frame
    // after the last paint holds painting back until the frame is due, and the lines of every drain
    // up to then appear together.
    if (!m_frameTimer.isActive()) {
        if (m_sinceFrame.isValid() && m_sinceFrame.elapsed() < kFrameMs) {
            // The whole overlay, not the view alone: its background is translucent, so a paint of
            // the view's area paints the overlay beneath it first, and a view held back on its own
            // would leave that area empty on the screen until the frame.
            setUpdatesEnabled(false);
            m_frameTimer.start(static_cast<int>(kFrameMs - m_sinceFrame.elapsed()));
        } else {
            m_sinceFrame.start();  // this drain paints now
        }
    }
    // Within a budget of half a frame, so that input and painting keep their share of the thread;
    // the rest waits for the next turn, and the worker waits once the queue is full.
    QElapsedTimer budget;
    budget.start();
    bool more = true;
    while (more && budget.elapsed() < kDrainBudgetMs)
        ApplyCommands(m_queue.Take(kDrainChunk, more));
    if (more)
        ScheduleDrain();
}

void CBubbleDlg::OnFrame()
{
    m_sinceFrame.start();
    setUpdatesEnabled(true);
    // Now, not at the next turn of the event loop: the next drain may come first and hold painting
    // back again.
    repaint();
}

void CBubbleDlg::ApplyCommands(std::vector<OverlayCommand> commands)
{
    ZANDREL_ASSERT_UI_THREAD();
    // Lines in a row are shown as one batch; the other commands keep their place among them.
    std::vector<BarrageMessage> lines;
    for (OverlayCommand& command : commands) {
        if (command.kind == OverlayCommand::Kind::Line) {
            lines.push_back(std::move(command.line));
            continue;
        }
        AddBarrageMessages(std::move(lines));
        lines.clear();
        switch (command.kind) {
        case OverlayCommand::Kind::Show:
            show();
            break;
        case OverlayCommand::Kind::Hide:
            hide();
            break;
        case OverlayCommand::Kind::Raise:
            RaiseWithHandle();
            break;
        case OverlayCommand::Kind::Line:
            break;
        }
    }
    AddBarrageMessages(std::move(lines));
}

bool CBubbleDlg::IsClickThrough() const
{
    const QWindow* window = windowHandle();
    return window && window->flags().testFlag(Qt::WindowTransparentForInput);
}

void CBubbleDlg::SetClickThrough(bool on)
{
    // On the native window, which the platform updates in place: a widget's setWindowFlags would
    // hide the overlay and create its window again.
    if (QWindow* window = windowHandle())
        window->setFlag(Qt::WindowTransparentForInput, on);
}

void CBubbleDlg::OnTimer()
{
    if (isVisible())
        RaiseWithHandle();
}

void CBubbleDlg::RaiseWithHandle()
{
    // Restacking activates nothing: the focus stays where it is. The handle goes above the overlay
    // again, as an owned window does; not every window manager keeps it there by itself.
    raise();
    if (m_ctrlDlg.isVisible())
        m_ctrlDlg.raise();
}

void CBubbleDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The window manager's move where it moves this window; on X11 it does not (it is kept out of
    // the overlay), so the overlay moves itself.
    if (QWindow* window = windowHandle();
        window && QGuiApplication::platformName() != QLatin1String("xcb") && window->startSystemMove())
        return;
    m_dragging = true;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CBubbleDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
    else
        QWidget::mouseMoveEvent(event);
}

void CBubbleDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void CBubbleDlg::keyPressEvent(QKeyEvent* event)
{
    // Esc and Enter must neither close nor hide the overlay.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void CBubbleDlg::paintEvent(QPaintEvent* event)
{
    // The background's exact alpha (not blended over what was there): the mask rounds the corners.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(event->rect(), QColor(0, 0, 0, qRound(m_opacity * 255)));
}

void CBubbleDlg::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    PlaceHandle();
}

void CBubbleDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    setMask(roundedRegion(rect(), kCornerEllipse));
    LayOutText();
    PlaceHandle();
}

void CBubbleDlg::SetStatusStrip(const QString& text)
{
    if (text == m_statusStrip.text() && m_statusStrip.isVisibleTo(this) == !text.isEmpty())
        return;
    m_statusStrip.setText(text);
    m_statusStrip.setVisible(!text.isEmpty());
    LayOutText();
}

void CBubbleDlg::LayOutText()
{
    QRect text = TextRect(rect());
    if (m_statusStrip.isVisibleTo(this)) {
        const int height = m_statusStrip.sizeHint().height();
        m_statusStrip.setGeometry(text.left(), text.bottom() + 1 - height, text.width(), height);
        text.setBottom(text.bottom() - height);
    }
    m_richEdit.setGeometry(text);
    m_richEdit.ScrollToEnd();  // the last line stays in view
}

void CBubbleDlg::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_ctrlDlg.show();
    m_topmostTimer.start();
}

void CBubbleDlg::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_ctrlDlg.hide();
    m_topmostTimer.stop();
}

}  // namespace zandrel
