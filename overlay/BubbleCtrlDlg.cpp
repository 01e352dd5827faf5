#include "overlay/BubbleCtrlDlg.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include "overlay/OverlayWindowFlags.h"

namespace zandrel {

CBubbleCtrlDlg::CBubbleCtrlDlg(QWidget* owner) : QWidget(owner, kOverlayWindowFlags)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Zandrel lock"));
    setWindowOpacity(kOpacity);
    // Round by its pixels as well as by its mask: where the window system ignores the mask (sway,
    // for X11 clients), the corners are still clear.
    setAttribute(Qt::WA_TranslucentBackground);
    resize(kSize, kSize);
    setMask(QRegion(rect(), QRegion::Ellipse));
}

void CBubbleCtrlDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), Qt::transparent);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BackgroundColour());
    painter.drawEllipse(QRectF(rect()));
    // A thin lighter ring just inside the edge: the dark disc alone is lost on the dark overlay.
    painter.setPen(QPen(kRingColour, kRingWidth));
    painter.setBrush(Qt::NoBrush);
    const qreal inset = kRingWidth / 2 + 0.5;
    painter.drawEllipse(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

void CBubbleCtrlDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // Round at any size: the ellipse that fills the window.
    setMask(QRegion(rect(), QRegion::Ellipse));
}

void CBubbleCtrlDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        ToggleLock();
    QWidget::mousePressEvent(event);
}

void CBubbleCtrlDlg::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click arrives as this event instead of a press, and it toggles
    // like any press: a double click toggles twice. Not handed on: QWidget's default would call
    // mousePressEvent and toggle a third time.
    if (event->button() == Qt::LeftButton)
        ToggleLock();
    event->accept();
}

void CBubbleCtrlDlg::ToggleLock()
{
    m_bLocked = !m_bLocked;
    update();
    emit lockToggled(m_bLocked);  // a direct call: the overlay follows before this returns
}

}  // namespace zandrel
