#include "base/WindowMessage.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace zandrel {
namespace {

// State of one cross-thread send, shared by the sender and the task queued for the UI thread.
enum class CallState { Pending, Running, Done, Cancelled };
struct PendingCall {
    CallState state = CallState::Pending;
    LRESULT result = 0;
};

struct Delivery {
    std::uint32_t window;
    std::thread::id thread;
};

struct Registry {
    std::mutex mutex;
    std::shared_ptr<IMessageDispatcher> dispatcher;
    std::unordered_map<std::uint32_t, IMessageReceiver*> windows;
    std::uint32_t nextHandle = 1;
    // Receivers being called right now, so that unregistering can wait for them to return.
    std::vector<Delivery> inFlight;
    std::condition_variable deliveryEnded;

    // Sends: every PendingCall's state and the cancelled senders are guarded by callMutex.
    std::mutex callMutex;
    std::condition_variable callChanged;
    std::vector<std::thread::id> cancelledSenders;

    bool IsCancelled(std::thread::id sender) const
    {
        return std::find(cancelledSenders.begin(), cancelledSenders.end(), sender) != cancelledSenders.end();
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

std::shared_ptr<IMessageDispatcher> currentDispatcher()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.dispatcher;
}

// On the UI thread (or the caller's, without a dispatcher). The delivery is recorded while it runs,
// so UnregisterWindow on another thread waits for it instead of freeing the receiver under it.
LRESULT deliverNow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    Registry& r = registry();
    const auto window = static_cast<std::uint32_t>(hwnd);
    IMessageReceiver* receiver = nullptr;
    {
        std::lock_guard lock(r.mutex);
        auto it = r.windows.find(window);
        if (it == r.windows.end())
            return 0;
        receiver = it->second;
        r.inFlight.push_back({window, std::this_thread::get_id()});
    }
    const LRESULT result = receiver->OnWindowMessage(message, wParam, lParam);
    {
        std::lock_guard lock(r.mutex);
        const auto self = std::this_thread::get_id();
        const auto it = std::find_if(r.inFlight.begin(), r.inFlight.end(),
                                     [&](const Delivery& d) { return d.window == window && d.thread == self; });
        r.inFlight.erase(it);
    }
    r.deliveryEnded.notify_all();
    return result;
}

}  // namespace

void InstallDispatcher(std::shared_ptr<IMessageDispatcher> dispatcher)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.dispatcher = std::move(dispatcher);
}

HWND RegisterWindow(IMessageReceiver& receiver)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    const std::uint32_t handle = r.nextHandle++;
    r.windows.emplace(handle, &receiver);
    return static_cast<HWND>(handle);
}

void UnregisterWindow(HWND hwnd)
{
    Registry& r = registry();
    const auto window = static_cast<std::uint32_t>(hwnd);
    const auto self = std::this_thread::get_id();
    std::unique_lock lock(r.mutex);
    r.windows.erase(window);
    // A delivery on this same thread is the caller's own frame; waiting for it would never end.
    r.deliveryEnded.wait(lock, [&] {
        return std::none_of(r.inFlight.begin(), r.inFlight.end(),
                            [&](const Delivery& d) { return d.window == window && d.thread != self; });
    });
}

bool IsWindow(HWND hwnd)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.windows.count(static_cast<std::uint32_t>(hwnd)) != 0;
}

bool OnUiThread()
{
    const std::shared_ptr<IMessageDispatcher> dispatcher = currentDispatcher();
    return !dispatcher || dispatcher->IsUiThread();
}

void AssertUiThread(const char* where)
{
    if (OnUiThread())
        return;
    std::fprintf(stderr, "zandrel: %s runs on a thread that is not the UI thread\n", where);
    std::abort();
}

LRESULT SendWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<IMessageDispatcher> dispatcher = currentDispatcher();
    if (!dispatcher || dispatcher->IsUiThread())
        return deliverNow(hwnd, message, wParam, lParam);

    Registry& r = registry();
    const std::thread::id sender = std::this_thread::get_id();
    auto call = std::make_shared<PendingCall>();
    {
        std::lock_guard lock(r.callMutex);
        if (r.IsCancelled(sender))
            return 0;
    }
    // UI thread: runs the message unless the sender gave up first.
    dispatcher->Queue([call, hwnd, message, wParam, lParam] {
        Registry& reg = registry();
        {
            std::lock_guard lock(reg.callMutex);
            if (call->state == CallState::Cancelled)
                return;
            call->state = CallState::Running;
        }
        const LRESULT result = deliverNow(hwnd, message, wParam, lParam);
        {
            std::lock_guard lock(reg.callMutex);
            call->state = CallState::Done;
            call->result = result;
        }
        reg.callChanged.notify_all();
    });

    std::unique_lock lock(r.callMutex);
    // A call the UI thread has taken up is always waited for: lParam may point at our stack.
    r.callChanged.wait(lock, [&] {
        return call->state == CallState::Done || (call->state == CallState::Pending && r.IsCancelled(sender));
    });
    if (call->state != CallState::Done) {
        call->state = CallState::Cancelled;
        return 0;
    }
    return call->result;
}

void PostWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<IMessageDispatcher> dispatcher = currentDispatcher();
    if (!dispatcher) {
        deliverNow(hwnd, message, wParam, lParam);
        return;
    }
    dispatcher->Queue([hwnd, message, wParam, lParam] { deliverNow(hwnd, message, wParam, lParam); });
}

void CancelSendsFrom(std::thread::id sender)
{
    Registry& r = registry();
    {
        std::lock_guard lock(r.callMutex);
        if (!r.IsCancelled(sender))
            r.cancelledSenders.push_back(sender);
    }
    r.callChanged.notify_all();
}

void AllowSendsFrom(std::thread::id sender)
{
    Registry& r = registry();
    std::lock_guard lock(r.callMutex);
    std::erase(r.cancelledSenders, sender);
}

}  // namespace zandrel
