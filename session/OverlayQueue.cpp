#include "session/OverlayQueue.h"

#include <algorithm>
#include <iterator>

namespace zandrel {

bool COverlayQueue::Push(HWND target, OverlayCommand command)
{
    if (!IsWindow(target))
        return true;
    bool post = false;
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_cancelled || m_commands.size() < m_capacity; });
        if (m_cancelled)
            return false;
        m_commands.push_back(std::move(command));
        post = !m_drainPosted;
        m_drainPosted = true;
    }
    // Outside the lock: without a dispatcher the post drains right here, on this thread.
    if (post)
        PostWindowMessage(target, WM_BARRAGE_DRAIN, 0, 0);
    return true;
}

bool COverlayQueue::WaitUntilEmpty()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_cancelled || m_commands.empty(); });
    return !m_cancelled;
}

std::vector<OverlayCommand> COverlayQueue::Take(std::size_t max, bool& more)
{
    std::vector<OverlayCommand> taken;
    {
        std::lock_guard lock(m_mutex);
        const std::size_t count = std::min(max, m_commands.size());
        taken.reserve(count);
        std::move(m_commands.begin(), m_commands.begin() + static_cast<std::ptrdiff_t>(count),
                  std::back_inserter(taken));
        m_commands.erase(m_commands.begin(), m_commands.begin() + static_cast<std::ptrdiff_t>(count));
        more = !m_commands.empty();
        m_drainPosted = more;  // an empty queue needs the next Push to post again
    }
    m_changed.notify_all();
    return taken;
}

void COverlayQueue::Cancel()
{
    {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
    }
    m_changed.notify_all();
}

void COverlayQueue::Allow()
{
    std::lock_guard lock(m_mutex);
    m_cancelled = false;
}

void COverlayQueue::Clear()
{
    {
        std::lock_guard lock(m_mutex);
        m_commands.clear();
        m_drainPosted = false;
    }
    m_changed.notify_all();
}

std::size_t COverlayQueue::Size() const
{
    std::lock_guard lock(m_mutex);
    return m_commands.size();
}

}  // namespace zandrel
