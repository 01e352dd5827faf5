#pragma once

// The chat connection as libwebsockets sees it: the protocol table, the offered extensions and the
// callback. Everything here runs on the session's worker thread, inside lws_service.

#include <atomic>
#include <chrono>
#include <string>

#include <libwebsockets.h>

#include "session/MessageAssembler.h"

namespace zandrel {

inline constexpr char kChatProtocolName[] = "zandrel-chat";

class ISessionSink;

// What one cycle's callbacks share; the context's user pointer. Lives on the worker's stack for the
// life of the context; the session it belongs to outlives it.
struct CycleState {
    CycleState(ISessionSink& sessionSink, std::atomic<bool>& sessionStop) : sink(sessionSink), stopService(sessionStop)
    {}

    // Where lines and the session's state go.
    ISessionSink& sink;
    // The session's service stop: set here when the connection ends or the join is refused, and by
    // the user's stop on the UI thread; the service loop looks at it after each lws_service.
    std::atomic<bool>& stopService;
    // What goes out at the connection's first writeable event.
    std::string joinRequest;
    // Why the cycle failed ("连接房间失败！", "连接请求被拒绝！"); empty while it has not.
    std::u16string error;
    lws_context* context = nullptr;
    CMessageAssembler assembler;
    // The keep-alive: pings on a quiet connection, and a drop when it stays quiet.
    lws_retry_bo_t keepAlive{};
    bool established = false;  // the WebSocket handshake completed
    bool joinSent = false;     // the join request has gone out on this connection
    bool joined = false;       // the server confirmed the join ("ack")
    std::chrono::steady_clock::time_point joinedAt;
    // Set once the service loop is over: what the context's destruction reports is no news.
    bool serviceOver = false;
};

extern const lws_protocols g_protocols[];

int BarrageCallback(lws* wsi, lws_callback_reasons reason, void* user, void* in, size_t len);
// What the callback does for `cycle`, the state of `wsi`'s context (null only in tests, for the
// reasons that need no connection).
int HandleCycleCallback(CycleState& cycle, lws* wsi, lws_callback_reasons reason, void* in, size_t len);

}  // namespace zandrel
