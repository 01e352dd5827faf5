#include "speech/SpeechQueue.h"

#include <algorithm>

namespace zandrel {

bool CSpeechQueue::Push(SpeechItem item)
{
    while (Backlog() + item.seconds > m_max) {
        if (DropOldest(false))
            continue;
        if (item.priority && DropOldest(true))
            continue;
        ++m_dropped;
        return false;
    }
    m_queued += item.seconds;
    m_items.push_back(std::move(item));
    m_worst = std::max(m_worst, Backlog());
    return true;
}

bool CSpeechQueue::DropOldest(bool priority)
{
    const auto oldest =
        std::find_if(m_items.begin(), m_items.end(), [&](const SpeechItem& i) { return i.priority == priority; });
    if (oldest == m_items.end())
        return false;
    m_queued -= oldest->seconds;
    m_items.erase(oldest);
    ++m_dropped;
    return true;
}

std::optional<SpeechItem> CSpeechQueue::Start()
{
    if (m_items.empty())
        return std::nullopt;
    SpeechItem item = std::move(m_items.front());
    m_items.pop_front();
    m_queued -= item.seconds;
    if (m_items.empty())
        m_queued = 0;  // no drift from sums of doubles
    m_speaking = item.seconds;
    return item;
}

void CSpeechQueue::Requeue(SpeechItem item)
{
    m_queued += item.seconds;
    m_items.push_front(std::move(item));
    Trim();
}

void CSpeechQueue::SetMaxBacklog(double seconds)
{
    m_max = seconds;
    Trim();
}

void CSpeechQueue::Reestimate(const std::function<double(const SpeechItem&)>& seconds)
{
    m_queued = 0;
    for (SpeechItem& item : m_items) {
        item.seconds = seconds(item);
        m_queued += item.seconds;
    }
    Trim();
}

void CSpeechQueue::Trim()
{
    while (Backlog() > m_max && (DropOldest(false) || DropOldest(true))) {}
}

void CSpeechQueue::Clear()
{
    m_dropped += m_items.size();
    m_items.clear();
    m_queued = 0;
}

}  // namespace zandrel
