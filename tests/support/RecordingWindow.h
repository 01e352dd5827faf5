#pragma once

// A receiver that records what the session sends to the overlay or the main window, in order, and
// lets a test wait for a condition on the record with a time-out. Standing in for the overlay, it
// takes the session's commands from the overlay queue as the overlay does.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "base/WindowMessage.h"
#include "session/BarrageMessage.h"
#include "session/OverlayQueue.h"

namespace zandrel::test {

struct RecordedEvent {
    enum class Kind { Line, Show, Hide, Topmost, Lock, Fail, Status, Other } kind;
    BarrageMessage line;  // Kind::Line
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool locked = false;  // Kind::Lock: the state the flag held during the call
};

class RecordingWindow final : public IMessageReceiver {
public:
    // Registers itself directly; with a TestUiThread running, construct it there (or accept that
    // registration happens on the test's thread before any message can arrive). Standing in for
    // the overlay, it takes the commands of `queue` at each WM_BARRAGE_DRAIN.
    explicit RecordingWindow(COverlayQueue* queue = nullptr);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND Handle() const { return m_handle; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::vector<RecordedEvent> Events() const;
    std::vector<BarrageMessage> Lines() const;
    std::size_t Count(RecordedEvent::Kind kind) const;
    bool Visible() const;
    // Waits until `condition` holds for the events so far; false after `timeout`.
    bool WaitFor(const std::function<bool(const std::vector<RecordedEvent>&)>& condition,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    bool WaitForCount(RecordedEvent::Kind kind, std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    void Clear();
    // Called on the receiving thread for every message, with its kind, before it is recorded: to slow
    // a receiver down, or to hold the sender at a chosen point.
    void SetOnMessage(std::function<void(RecordedEvent::Kind)> hook);

private:
    // WM_BARRAGE_DRAIN: records what waits in the queue, each command as its event.
    void TakeQueuedCommands(const std::function<void(RecordedEvent::Kind)>& onMessage);
    void Record(RecordedEvent event, const std::function<void(RecordedEvent::Kind)>& onMessage);

    COverlayQueue* const m_queue;
    HWND m_handle;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<RecordedEvent> m_events;
    bool m_visible = false;
    std::function<void(RecordedEvent::Kind)> m_onMessage;
};

}  // namespace zandrel::test
