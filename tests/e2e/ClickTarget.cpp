// A window that covers the screen below everything else and reports each mouse press on standard
// output as "press X Y" in screen coordinates: the end-to-end test sees through it whether a click
// passed through the overlay.

#include <cstdio>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

class ClickTarget final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(40, 70, 110));
        sky.setColorAt(1, QColor(150, 110, 70));
        painter.fillRect(rect(), sky);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint at = event->globalPosition().toPoint();
        std::printf("press %d %d\n", at.x(), at.y());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ClickTarget target;
    target.setWindowTitle(QStringLiteral("click target"));
    target.setWindowFlag(Qt::FramelessWindowHint);
    target.setGeometry(QGuiApplication::primaryScreen()->geometry());
    target.show();
    return QApplication::exec();
}
