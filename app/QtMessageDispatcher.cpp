#include "app/QtMessageDispatcher.h"

#include <QThread>

namespace zandrel {

bool CQtMessageDispatcher::IsUiThread() const { return m_context && QThread::currentThread() == m_context->thread(); }

void CQtMessageDispatcher::Queue(std::function<void()> task)
{
    if (m_context)
        QMetaObject::invokeMethod(m_context, std::move(task), Qt::QueuedConnection);
}

}  // namespace zandrel
