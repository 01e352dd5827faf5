#include "app/RoomPage.h"

#include <QFormLayout>

namespace zandrel {

CRoomPage::CRoomPage(const AppSettings& settings, QWidget* parent) : QWidget(parent)
{
    m_autoConnect.setText(kAutoConnectText);
    m_autoConnect.setChecked(settings.autoConnect);
    m_clearOnNewRoom.setText(kClearText);
    m_clearOnNewRoom.setChecked(settings.clearOnNewRoom);
    auto* form = new QFormLayout(this);
    form->addRow(&m_autoConnect);
    form->addRow(&m_clearOnNewRoom);
    connect(&m_autoConnect, &QCheckBox::toggled, this, &CRoomPage::changed);
    connect(&m_clearOnNewRoom, &QCheckBox::toggled, this, &CRoomPage::changed);
}

void CRoomPage::Store(AppSettings& settings) const
{
    settings.autoConnect = m_autoConnect.isChecked();
    settings.clearOnNewRoom = m_clearOnNewRoom.isChecked();
}

}  // namespace zandrel
