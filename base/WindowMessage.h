#pragma once

// How the worker thread and the windows talk: numbered messages to window handles, delivered on the
// UI thread. A handle is a number, never a pointer, so a message to a window that has gone is
// dropped instead of reaching freed memory.

#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace zandrel {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

enum class HWND : std::uint32_t { Null = 0 };

inline constexpr UINT kWmUser = 0x0400;
// A line or a lock state handed to the overlay by a blocking send, with a pointer into the sender's
// stack: lParam a BarrageMessage* (wParam 0) or a bool* (wParam 1). The overlay still answers it;
// the session's lines take the overlay's queue instead (WM_BARRAGE_DRAIN), and the lock handle
// tells the overlay by a signal.
inline constexpr UINT WM_BARRAGE_MSG = kWmUser + 100;
// wParam 1, lParam 0: the session failed; the main window reads the reason from the session's sink.
inline constexpr UINT WM_BARRAGE_FAIL = kWmUser + 101;
// The overlay queue has commands waiting (see COverlayQueue); wParam and lParam 0.
inline constexpr UINT WM_BARRAGE_DRAIN = kWmUser + 102;
// What the session does, for the main window's status line: wParam a SessionStatus, lParam its detail.
inline constexpr UINT WM_BARRAGE_STATUS = kWmUser + 103;
// The chat log could not write; wParam and lParam 0 (the text waits with the log's owner).
inline constexpr UINT WM_CHATLOG_PROBLEM = kWmUser + 104;

// A window that receives messages. Called on the UI thread only.
class IMessageReceiver {
public:
    virtual LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~IMessageReceiver() = default;
};

// How messages reach the UI thread. The application installs one that queues to Qt's event loop;
// tests install their own.
class IMessageDispatcher {
public:
    virtual ~IMessageDispatcher() = default;
    virtual bool IsUiThread() const = 0;
    // Runs `task` on the UI thread, after every task queued before it.
    virtual void Queue(std::function<void()> task) = 0;
};

// Installs the dispatcher (nullptr: every message is delivered directly on the calling thread).
void InstallDispatcher(std::shared_ptr<IMessageDispatcher> dispatcher);

// Whether the caller runs on the UI thread, as the installed dispatcher knows it (with none
// installed, every thread delivers its own messages and counts as one).
bool OnUiThread();
// Ends the program, naming `where`, when the caller is not on the UI thread. UI-thread entry points
// call it through ZANDREL_ASSERT_UI_THREAD, which debug builds and the checked builds (the
// sanitizer builds define ZANDREL_CHECK_THREADS) keep, and release builds leave out.
void AssertUiThread(const char* where);
#if !defined(NDEBUG) || defined(ZANDREL_CHECK_THREADS)
#define ZANDREL_ASSERT_UI_THREAD() ::zandrel::AssertUiThread(__func__)
#else
#define ZANDREL_ASSERT_UI_THREAD() static_cast<void>(0)
#endif

// Make a receiver reachable, and unreachable again before it dies. Once UnregisterWindow returns,
// the receiver is not called any more, nor still being called on another thread.
HWND RegisterWindow(IMessageReceiver& receiver);
void UnregisterWindow(HWND hwnd);
// Whether `hwnd` names a registered window now.
bool IsWindow(HWND hwnd);

// Delivers the message and returns once the receiver has handled it on the UI thread; a call on the
// UI thread is handled directly. Returns the receiver's result, or 0 when the window does not exist
// or the send was cancelled before the receiver took it up. Once the receiver has taken it up, the
// send waits for it to finish, so pointers in lParam stay valid for the whole handling.
LRESULT SendWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the message and returns at once. Nothing in it may point at the sender's stack.
void PostWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Any thread: sends from `sender` that wait, and any it makes later, return 0 at once until
// AllowSendsFrom. This is how a stop on the UI thread frees a worker that waits on the UI thread.
void CancelSendsFrom(std::thread::id sender);
void AllowSendsFrom(std::thread::id sender);

}  // namespace zandrel
