#include "overlay/BubbleCtrlDlg.h"

#include <algorithm>

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
    if (m_bLocked)
        PaintPadlock(painter);
}

void CBubbleCtrlDlg::PaintPadlock(QPainter& painter) const
{
    // In the disc's middle, in proportion to it: a body, and a shackle closed over it.
    const qreal unit = std::min(width(), height()) / 20.0;
    const QPointF centre = QRectF(rect()).center();
    const QRectF body(centre.x() - 4.5 * unit, centre.y() - 0.5 * unit, 9 * unit, 6.5 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPadlockColour);
    painter.drawRoundedRect(body, 1.2 * unit, 1.2 * unit);
    painter.setPen(QPen(kPadlockColour, 1.8 * unit, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF shackle(centre.x() - 3 * unit, centre.y() - 6 * unit, 6 * unit, 8 * unit);
    painter.drawArc(shackle, 0, 180 * 16);
    painter.drawLine(QPointF(shackle.left(), shackle.center().y()), QPointF(shackle.left(), body.top()));
    painter.drawLine(QPointF(shackle.right(), shackle.center().y()), QPointF(shackle.right(), body.top()));
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
