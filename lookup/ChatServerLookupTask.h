#pragma once

#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace zandrel {

class CHttpRequest;

// The chat-server lookup on a thread of its own, so that the window that asks stays responsive,
// and can be closed, while a slow or silent web server takes its time.
//
// Start and Cancel belong to the owner's thread (the UI thread); `done` runs on the lookup thread.
class CChatServerLookupTask {
public:
    struct Result {
        bool ok = false;
        std::string host;
        int port = 0;
        std::u16string errorText;
    };
    using Done = std::function<void(const Result&)>;

    CChatServerLookupTask() = default;
    // Cancels a lookup in progress.
    ~CChatServerLookupTask();
    CChatServerLookupTask(const CChatServerLookupTask&) = delete;
    CChatServerLookupTask& operator=(const CChatServerLookupTask&) = delete;

    // Starts a lookup of the configured server; `done` gets its result on the lookup thread. A
    // lookup still in progress is cancelled first.
    void Start(Done done);
    // Aborts the lookup in progress and waits for its thread, which ends at once: once this
    // returns, `done` is not running and will not run for it.
    void Cancel();

private:
    // Both on the owner's thread only; the lookup thread holds its own share of the request.
    std::thread m_thread;
    std::shared_ptr<CHttpRequest> m_request;
};

}  // namespace zandrel
