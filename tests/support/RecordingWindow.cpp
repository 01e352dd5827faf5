#include "support/RecordingWindow.h"

#include <algorithm>

namespace zandrel::test {

RecordingWindow::RecordingWindow(COverlayQueue* queue) : m_queue(queue), m_handle(RegisterWindow(*this)) {}

RecordingWindow::~RecordingWindow() { UnregisterWindow(m_handle); }

LRESULT RecordingWindow::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordedEvent event{RecordedEvent::Kind::Other, {}, wParam, lParam};
    std::function<void(RecordedEvent::Kind)> onMessage;
    {
        std::lock_guard lock(m_mutex);
        onMessage = m_onMessage;
    }
    switch (message) {
    case WM_BARRAGE_MSG:
        if (wParam == 0 && lParam != 0) {
            event.kind = RecordedEvent::Kind::Line;
            event.line = *reinterpret_cast<const BarrageMessage*>(lParam);
        } else if (wParam == 1 && lParam != 0) {
            event.kind = RecordedEvent::Kind::Lock;
            event.locked = *reinterpret_cast<const bool*>(lParam);
        }
        break;
    case WM_BARRAGE_DRAIN:
        TakeQueuedCommands(onMessage);
        return 1;
    case WM_BARRAGE_FAIL:
        event.kind = RecordedEvent::Kind::Fail;
        break;
    case WM_BARRAGE_STATUS:
        event.kind = RecordedEvent::Kind::Status;
        break;
    default:
        break;
    }
    Record(std::move(event), onMessage);
    return 1;
}

void RecordingWindow::Record(RecordedEvent event, const std::function<void(RecordedEvent::Kind)>& onMessage)
{
    if (onMessage)
        onMessage(event.kind);
    {
        std::lock_guard lock(m_mutex);
        if (event.kind == RecordedEvent::Kind::Show)
            m_visible = true;
        else if (event.kind == RecordedEvent::Kind::Hide)
            m_visible = false;
        m_events.push_back(std::move(event));
    }
    m_changed.notify_all();
}

void RecordingWindow::TakeQueuedCommands(const std::function<void(RecordedEvent::Kind)>& onMessage)
{
    // All of them, as they come: the overlay's own drain is what a test stands in for.
    bool more = m_queue != nullptr;
    while (more) {
        for (OverlayCommand& command : m_queue->Take(64, more)) {
            RecordedEvent event{RecordedEvent::Kind::Other, {}, 0, 0};
            switch (command.kind) {
            case OverlayCommand::Kind::Line:
                event.kind = RecordedEvent::Kind::Line;
                event.line = std::move(command.line);
                break;
            case OverlayCommand::Kind::Show:
                event.kind = RecordedEvent::Kind::Show;
                break;
            case OverlayCommand::Kind::Hide:
                event.kind = RecordedEvent::Kind::Hide;
                break;
            case OverlayCommand::Kind::Raise:
                event.kind = RecordedEvent::Kind::Topmost;
                break;
            }
            Record(std::move(event), onMessage);
        }
    }
}

std::vector<RecordedEvent> RecordingWindow::Events() const
{
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<BarrageMessage> RecordingWindow::Lines() const
{
    std::lock_guard lock(m_mutex);
    std::vector<BarrageMessage> lines;
    for (const RecordedEvent& event : m_events)
        if (event.kind == RecordedEvent::Kind::Line)
            lines.push_back(event.line);
    return lines;
}

std::size_t RecordingWindow::Count(RecordedEvent::Kind kind) const
{
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::count_if(m_events.begin(), m_events.end(), [kind](const RecordedEvent& e) { return e.kind == kind; }));
}

bool RecordingWindow::Visible() const
{
    std::lock_guard lock(m_mutex);
    return m_visible;
}

bool RecordingWindow::WaitFor(const std::function<bool(const std::vector<RecordedEvent>&)>& condition,
                              std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return condition(m_events); });
}

bool RecordingWindow::WaitForCount(RecordedEvent::Kind kind, std::size_t count, std::chrono::milliseconds timeout) const
{
    return WaitFor(
        [kind, count](const std::vector<RecordedEvent>& events) {
            return static_cast<std::size_t>(std::count_if(events.begin(), events.end(), [kind](const RecordedEvent& e) {
                       return e.kind == kind;
                   })) >= count;
        },
        timeout);
}

void RecordingWindow::Clear()
{
    std::lock_guard lock(m_mutex);
    m_events.clear();
}

void RecordingWindow::SetOnMessage(std::function<void(RecordedEvent::Kind)> hook)
{
    std::lock_guard lock(m_mutex);
    m_onMessage = std::move(hook);
}

}  // namespace zandrel::test
