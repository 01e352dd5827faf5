#pragma once

#include <QColor>
#include <QPushButton>

namespace zandrel {

// A button that shows a colour and, pressed, lets the user choose another. UI thread.
class CColourButton : public QPushButton {
    Q_OBJECT
public:
    CColourButton(const QString& dialogTitle, const QColor& colour, QWidget* parent = nullptr);
    const QColor& Colour() const { return m_colour; }
    void SetColour(const QColor& colour);

signals:
    void colourChanged(const QColor& colour);

private:
    QString m_title;
    QColor m_colour;
};

}  // namespace zandrel
