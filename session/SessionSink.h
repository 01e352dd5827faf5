#pragma once

#include <string>

#include "base/WindowMessage.h"
#include "session/OverlayQueue.h"
#include "session/SessionStatus.h"

namespace zandrel {

// Where the session's news goes: commands for the overlay (its lines, and showing, hiding and
// raising it), the session's state, and its end with the reason. The application gives one to
// CBarrage at construction and wires it to the overlay and the main window; tests give their own.
//
// Threads: every call comes from the session's worker, except CancelWaits and AllowWaits, which come
// from the thread that stops the session (the UI thread) while the worker may be waiting in a call.
class ISessionSink {
public:
    virtual ~ISessionSink() = default;

    // One command for the overlay, after every one before it. May wait while the overlay is far
    // behind. False when CancelWaits ended the wait (the command is then dropped).
    virtual bool ToOverlay(OverlayCommand command) = 0;
    // Waits until the overlay has taken every command so far. False when CancelWaits ended the wait.
    virtual bool WaitUntilOverlayDone() = 0;
    // The session's state for the main window; never waits. `detail`: see SessionStatus.
    virtual void Status(SessionStatus status, LPARAM detail = 0) = 0;
    // The session has failed and ended, after the overlay took everything before; `reason` is what
    // the user is told ("连接房间失败！", "连接请求被拒绝！").
    virtual void Failed(std::u16string reason) = 0;
    // Waits in the calls above end at once, and fail at once until AllowWaits.
    virtual void CancelWaits() = 0;
    virtual void AllowWaits() = 0;
};

// A sink that takes everything and keeps nothing, never waiting: the base of sinks that look at one
// kind of news only (the benchmarks' counters, the fuzzer's).
class CDiscardingSessionSink : public ISessionSink {
public:
    bool ToOverlay(OverlayCommand) override { return true; }
    bool WaitUntilOverlayDone() override { return true; }
    void Status(SessionStatus, LPARAM) override {}
    void Failed(std::u16string) override {}
    void CancelWaits() override {}
    void AllowWaits() override {}
};

}  // namespace zandrel
