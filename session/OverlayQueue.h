#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <vector>

#include "base/WindowMessage.h"
#include "session/BarrageMessage.h"

namespace zandrel {

// One thing the session asks of the overlay: a line to show, or to show, hide or raise the overlay.
struct OverlayCommand {
    enum class Kind { Line, Show, Hide, Raise };
    Kind kind = Kind::Line;
    BarrageMessage line;  // Kind::Line
};

// The ordered path from the session's worker to the overlay. Everything the session does to the
// overlay goes through it, so nothing can pass anything sent before it. The worker appends; the UI
// thread takes what waits in batches, so that a flood of lines costs one wake-up and one paint per
// batch instead of one per line. The guarantees of a blocking send are kept:
// - every command arrives, in order;
// - a worker that gets ahead of the UI thread waits once the queue holds `capacity` commands;
// - a stop never waits on the UI thread: Cancel frees a waiting worker at once.
//
// Threads: Push and WaitUntilEmpty on the worker; Take on the UI thread; Cancel, Allow on any.
class COverlayQueue {
public:
    static constexpr std::size_t kDefaultCapacity = 2048;

    explicit COverlayQueue(std::size_t capacity = kDefaultCapacity) : m_capacity(capacity) {}

    // Appends `command` for the window `target`, waiting while the queue is full. The first command
    // into an empty queue posts WM_BARRAGE_DRAIN to `target`, whose handler calls Take. A target
    // that does not exist takes nothing: the command is dropped, as a message to it would be.
    // False when Cancel ended the wait (the command is dropped).
    bool Push(HWND target, OverlayCommand command);
    // Waits until the UI thread has taken every command. False when Cancel ended the wait.
    bool WaitUntilEmpty();
    // Takes up to `max` of the waiting commands, oldest first. `more` tells whether some still wait;
    // then the caller drains again later (no further WM_BARRAGE_DRAIN comes for them).
    std::vector<OverlayCommand> Take(std::size_t max, bool& more);
    // Waits end at once, and fail at once until Allow. What is queued stays queued.
    void Cancel();
    void Allow();
    // Drops what waits: a session that has been stopped for good (disconnected) has nothing more to
    // show. Once no worker pushes.
    void Clear();
    std::size_t Size() const;

private:
    const std::size_t m_capacity;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<OverlayCommand> m_commands;
    bool m_drainPosted = false;  // a WM_BARRAGE_DRAIN is on its way, or the UI is draining
    bool m_cancelled = false;
};

}  // namespace zandrel
