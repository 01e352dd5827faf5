#pragma once

#include <QEvent>

namespace zandrel {

// A control's command to its parent window, posted as an event: the control's id travels with it.
class CommandEvent final : public QEvent {
public:
    explicit CommandEvent(int controlId) : QEvent(Type()), m_controlId(controlId) {}
    int ControlId() const { return m_controlId; }
    static QEvent::Type Type()
    {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }

private:
    int m_controlId;
};

}  // namespace zandrel
