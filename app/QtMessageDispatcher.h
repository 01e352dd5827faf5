#pragma once

#include <QObject>
#include <QPointer>

#include "base/WindowMessage.h"

namespace zandrel {

// Delivers window messages on the Qt UI thread: a task queued from another thread runs in the
// event loop of the thread that owns `context`, after every task queued before it.
class CQtMessageDispatcher final : public IMessageDispatcher {
public:
    explicit CQtMessageDispatcher(QObject* context) : m_context(context) {}
    bool IsUiThread() const override;
    void Queue(std::function<void()> task) override;

private:
    QPointer<QObject> m_context;
};

}  // namespace zandrel
