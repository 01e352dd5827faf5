#include "app/ColourButton.h"

#include <QColorDialog>

namespace zandrel {

CColourButton::CColourButton(const QString& dialogTitle, const QColor& colour, QWidget* parent)
    : QPushButton(parent), m_title(dialogTitle)
{
    SetColour(colour);
    connect(this, &QPushButton::clicked, this, [this] {
        const QColor chosen = QColorDialog::getColor(m_colour, this, m_title);
        if (chosen.isValid())
            SetColour(chosen);
    });
}

void CColourButton::SetColour(const QColor& colour)
{
    if (colour == m_colour && !text().isEmpty())
        return;
    m_colour = colour;
    setText(colour.name());
    setStyleSheet(QStringLiteral("background-color: %1; color: %2")
                      .arg(colour.name(), 0.299 * colour.red() + 0.587 * colour.green() + 0.114 * colour.blue() > 140
                                              ? QStringLiteral("black")
                                              : QStringLiteral("white")));
    emit colourChanged(colour);
}

}  // namespace zandrel
