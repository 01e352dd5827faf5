#include "app/MessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace zandrel {
namespace {

// Wide enough that a window manager's title bar shows a short caption whole.
constexpr int kMinimumWidth = 180;

// Keeps the user's input away from one window and everything in it (not from the windows it owns,
// the box among them), for as long as it lives.
class CInputBlock final : public QObject {
public:
    explicit CInputBlock(QWidget& window) : m_window(window) { qApp->installEventFilter(this); }
    ~CInputBlock() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != &m_window)
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::Close:
            event->ignore();  // a close that is ignored does not happen
            return true;
        default:
            return false;
        }
    }

private:
    QWidget& m_window;
};

}  // namespace

void ShowMessageBox(QWidget& owner, const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, &owner);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);  // a path or a reason to copy
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(kMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Expanding), grid->rowCount(),
                      0, 1, grid->columnCount());
    if (owner.isActiveWindow()) {
        box.setWindowModality(Qt::WindowModal);  // the overlay stays usable meanwhile
        box.exec();
        return;
    }
    box.setWindowModality(Qt::NonModal);
    box.setAttribute(Qt::WA_ShowWithoutActivating);
    const CInputBlock modal(owner);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
}

}  // namespace zandrel
