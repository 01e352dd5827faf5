#pragma once

// The chat connection as libwebsockets sees it: the protocol table, the offered extensions and the
// callback. Everything here runs on the session's worker thread, inside lws_service.

#include <chrono>

#include <libwebsockets.h>

#include "session/MessageAssembler.h"

namespace zandrel {

inline constexpr char kChatProtocolName[] = "zandrel-chat";

// What one cycle's callbacks share; the context's user pointer. Lives on the worker's stack for the
// life of the context.
struct CycleState {
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

}  // namespace zandrel
