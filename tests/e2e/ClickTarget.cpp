// A window of another program for the end-to-end tests. It reports each mouse press on standard
// output as "press X Y" in screen coordinates, so a test sees whether a click passed through the
// overlay, and each key press as "key K".
//   click_target                     covers the screen, below every other window
//   click_target --game X Y W H      a normal window at that place, titled "game", standing for a
//                                    game that has the keyboard
//   click_target --fullscreen-game RRGGBB
//                                    a fullscreen window titled "game" in that one colour, which also
//                                    reports "active" and "inactive" as it gains and loses the focus

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

class ClickTarget final : public QWidget {
public:
    QColor colour;  // a solid colour instead of the sky

protected:
    void changeEvent(QEvent* event) override
    {
        if (event->type() == QEvent::ActivationChange) {
            std::printf("%s\n", isActiveWindow() ? "active" : "inactive");
            std::fflush(stdout);
        }
        QWidget::changeEvent(event);
    }
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        if (colour.isValid()) {
            painter.fillRect(rect(), colour);
            return;
        }
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
    void keyPressEvent(QKeyEvent* event) override
    {
        std::printf("key %d\n", event->key());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ClickTarget target;
    if (argc == 3 && std::strcmp(argv[1], "--fullscreen-game") == 0) {
        target.setWindowTitle(QStringLiteral("game"));
        target.colour = QColor(QLatin1Char('#') + QLatin1String(argv[2]));
        target.showFullScreen();
        return QApplication::exec();
    }
    if (argc == 6 && std::strcmp(argv[1], "--game") == 0) {
        target.setWindowTitle(QStringLiteral("game"));
        target.setGeometry(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    } else {
        target.setWindowTitle(QStringLiteral("click target"));
        target.setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnBottomHint);
        target.setGeometry(QGuiApplication::primaryScreen()->geometry());
    }
    target.show();
    return QApplication::exec();
}
