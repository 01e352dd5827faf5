#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "base/BaseThread.h"
#include "base/HostResolution.h"
#include "session/ReconnectBackoff.h"
#include "session/SessionSink.h"

struct lws_context;

namespace zandrel {

struct CycleState;

// The session's time limits. The defaults are the program's; tests shorten them.
struct SessionTimings {
    // Opening the connection and the WebSocket handshake, together.
    int connectTimeoutSeconds = 20;
    // A connection on which nothing has arrived for this long is sent a ping; one on which nothing
    // has arrived for the longer time is dropped (and the session reconnects).
    int keepAlivePingSeconds = 30;
    int keepAliveHangupSeconds = 60;
    // A connection that was joined and stayed up this long is healthy: the reconnect after it is
    // immediate, and the back-off starts over.
    std::chrono::milliseconds healthyAfter{10000};
};

// The chat session: a worker thread that runs connect-join-service cycles against the chat server,
// reconnects after a drop (at once after a healthy connection, with a growing wait while the server
// keeps closing), and reports a failed cycle to the main window. Once the room has been joined, a
// connection that cannot be made is an outage, retried with the same back-off for as long as it
// lasts; only the first connection's failure and a refusal end the session.
//
// Threads: the UI thread constructs it and calls the setters, Start and UserStop; the worker runs
// RunStep and RunOnce, and libwebsockets' callbacks inside its service calls. The libwebsockets
// context is touched only by the worker, except that UserStop may wake it (lws_cancel_service).
// Everything the session has to tell (the overlay's lines and commands, its state, its failure
// with the reason) goes to the sink given at construction, from the worker.
class CBarrage : public CBaseThread {
public:
    // `sink` must outlive the session.
    explicit CBarrage(ISessionSink& sink);
    // Stops the session first: the worker must not outlive the object it runs on.
    ~CBarrage() override;

    void SetRoom(int room);
    void SetPort(int port);
    void SetHost(std::string host);

    // Clears the stop marks and starts the worker (or lets an idle one start cycles again).
    bool Start() override;
    // Ends the session and waits for the worker. Prompt: it wakes the worker's service call and
    // cancels a line delivery that waits on this (UI) thread. No cycle begins once it has begun.
    void UserStop();

    // The join request for the current room, with a fresh uid and the current time.
    std::string BuildJoinRequest() const;
    // For tests: where uids and the clock come from.
    void SetUidSource(std::function<std::string()> source);
    void SetClock(std::function<std::int32_t()> clock);
    // libwebsockets' log levels for each cycle (default: error, warning and notice).
    void SetLogLevel(int levels);
    // Errors and warnings only: no notice per line (for streamers who keep standard error).
    void SetQuiet(bool quiet);
    // Both take effect at the next cycle.
    void SetTimings(const SessionTimings& timings);
    // Where host names are resolved (the system's resolver by default).
    void SetResolver(ResolveFunction resolve);

    // True between a failed cycle's report and the next Start. The main window checks it, so that a
    // report posted by a session that has since been stopped and restarted is not taken for news.
    bool Failed() const { return m_bFailed.load(); }

protected:
    bool RunStep() override;
    // One cycle. True when it ended normally, false when it failed (m_lastError says why).
    bool RunOnce();

private:
    struct Settings {
        int room = 0;
        int port = 0;
        std::string host;
        SessionTimings timings;
        ResolveFunction resolve;
    };
    Settings CurrentSettings() const;
    // The steps of one cycle (RunOnce), on the worker.
    bool CreateContext(CycleState& cycle, const Settings& settings);
    CPendingResolution::Outcome ResolveHost(const Settings& settings, std::string& address);
    bool Connect(CycleState& cycle, const Settings& settings, const std::string& address);
    void ServiceUntilStopped(CycleState& cycle);
    void DestroyContext(CycleState& cycle);
    // What the cycle leaves: whether it was healthy, whether it joined, why it failed. True when it
    // did not fail.
    bool EndCycle(const CycleState& cycle, const Settings& settings);
    void PublishContext(lws_context* context);
    void PublishResolution(std::shared_ptr<CPendingResolution> pending);
    void WakeService();
    // Waits before the next cycle as the back-off says. False when a stop cut the wait short.
    bool WaitBeforeReconnect();

    // m_nRoom, m_nPort, m_strHost, the uid source and clock, the timings and the resolver
    mutable std::mutex m_settingsMutex;
    int m_nRoom = 0;
    int m_nPort = 0;
    std::string m_strHost;
    std::function<std::string()> m_uidSource;
    std::function<std::int32_t()> m_clock;
    std::atomic<int> m_nLogLevel;
    SessionTimings m_timings;
    ResolveFunction m_resolve;

    // Guards m_pContext and m_pendingResolution against a wake-up racing their end.
    std::mutex m_contextMutex;
    lws_context* m_pContext = nullptr;
    std::shared_ptr<CPendingResolution> m_pendingResolution;

    // Worker thread only, and the UI thread once the worker has ended.
    CReconnectBackoff m_backoff;
    bool m_bLastCycleHealthy = false;

    ISessionSink& m_sink;
    // Why the last cycle failed; empty when it did not. Worker thread only.
    std::u16string m_lastError;

    // What stops what (besides CBaseThread's own stop request, which ends the worker):
    // - m_stopService ends a cycle's service loop. Set by the callback when the connection ends or
    //   the join is refused, and by UserStop; cleared by Start and before each new cycle.
    // - m_bStopByUser: the user ended the session (UserStop). No reconnect line, no new cycle, no
    //   failure report. Cleared by Start.
    // - m_bConnect: the worker runs cycles. Cleared when the session fails (it idles until Start),
    //   set by Start and before each reconnect.
    std::atomic<bool> m_stopService{false};
    std::atomic<bool> m_bConnect{true};
    std::atomic<bool> m_bStopByUser{false};
    std::atomic<bool> m_bFailed{false};
    // Some cycle of this session has joined the room: from then on only a refusal or the user ends
    // it. Set by the worker, cleared by Start.
    std::atomic<bool> m_bJoinedOnce{false};
};

}  // namespace zandrel
