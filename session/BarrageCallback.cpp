#include "session/BarrageCallback.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "base/LogText.h"
#include "session/ProtocolTexts.h"
#include "session/ServerText.h"
#include "session/SessionSink.h"
#include "session/SessionStatus.h"

namespace zandrel {
namespace {

// The join request goes out as one text frame from a buffer with room for the library's framing.
constexpr std::size_t kSendPayloadSize = 16384;

CycleState* cycleOf(lws* wsi)
{
    lws_context* context = wsi ? lws_get_context(wsi) : nullptr;
    return context ? static_cast<CycleState*>(lws_context_user(context)) : nullptr;
}

// Ends the cycle: the service loop looks at the stop flag when lws_service returns, which it does
// after socket events but not after the library's own timers (a handshake time-out, the
// keep-alive's hang-up), so it is woken as well.
void endCycle(CycleState& cycle, lws* wsi)
{
    cycle.stopService = true;
    if (lws_context* context = wsi ? lws_get_context(wsi) : nullptr)
        lws_cancel_service(context);
}

void failCycle(CycleState& cycle, lws* wsi, const char16_t* reason)
{
    cycle.error = reason;
    endCycle(cycle, wsi);
}

// False when the write failed: the connection is no good and the callback closes it.
bool sendJoinRequest(const CycleState& cycle, lws* wsi)
{
    // The request carries the session's uid and checksum: a quiet log (errors and warnings only)
    // keeps them out.
    if (lwsl_visible(LLL_NOTICE))
        std::fprintf(stderr, "send : %s\n", LogTextFromAnsi(cycle.joinRequest).c_str());
    const std::size_t length = cycle.joinRequest.size();
    if (length > kSendPayloadSize)
        return false;
    std::vector<unsigned char> buffer(LWS_PRE + kSendPayloadSize);
    std::memcpy(buffer.data() + LWS_PRE, cycle.joinRequest.data(), length);
    return lws_write(wsi, buffer.data() + LWS_PRE, length, LWS_WRITE_TEXT) >= static_cast<int>(length);
}

void receive(CycleState& cycle, lws* wsi, const void* in, std::size_t len)
{
    // A message is whole at its final fragment, once that fragment's payload has all arrived.
    const bool last = lws_is_final_fragment(wsi) && lws_remaining_packet_payload(wsi) == 0;
    const std::string_view piece(static_cast<const char*>(in), in ? len : 0);
    switch (cycle.assembler.Add(piece, last)) {
    case CMessageAssembler::Result::Complete:
        switch (HandleServerText(cycle.assembler.Message().data(), cycle.assembler.Message().size(), cycle.sink)) {
        case ServerEvent::Joined:
            if (!cycle.joined) {
                cycle.joined = true;
                cycle.joinedAt = std::chrono::steady_clock::now();
                cycle.sink.Status(SessionStatus::Connected);
            }
            break;
        case ServerEvent::Refused:
            // The server will not have us in the room: the session ends with the reason.
            failCycle(cycle, wsi, texts::kJoinRefused);
            break;
        case ServerEvent::Line:
        case ServerEvent::None:
            break;
        }
        break;
    case CMessageAssembler::Result::Dropped:
        lwsl_notice("dropped a message of %zu bytes: more than %zu\n", cycle.assembler.DroppedSize(),
                    CMessageAssembler::kDefaultLimit);
        break;
    case CMessageAssembler::Result::Partial:
        break;
    }
}

int confirmExtension(const char* name)
{
    if (name && std::strcmp(name, "deflate-stream") == 0) {
        lwsl_notice("denied deflate-stream extension\n");
        return 1;
    }
    if (name && std::strcmp(name, "x-google-mux") == 0) {
        lwsl_notice("denied x-google-mux extension\n");
        return 1;
    }
    return 0;
}

}  // namespace

const lws_protocols g_protocols[] = {
    {kChatProtocolName, BarrageCallback, 0, 0, 0, nullptr, 0},
    {nullptr, nullptr, 0, 0, 0, nullptr, 0},
};

int BarrageCallback(lws* wsi, lws_callback_reasons reason, void* /*user*/, void* in, size_t len)
{
    // Reasons before the context has its user data, or after, concern no cycle.
    CycleState* cycle = cycleOf(wsi);
    if (!cycle)
        return reason == LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED
                   ? confirmExtension(static_cast<const char*>(in))
                   : 0;
    return HandleCycleCallback(*cycle, wsi, reason, in, len);
}

int HandleCycleCallback(CycleState& cycle, lws* wsi, lws_callback_reasons reason, void* in, size_t len)
{
    switch (reason) {
    case LWS_CALLBACK_CLIENT_ESTABLISHED:
        lwsl_notice("LWS_CALLBACK_CLIENT_ESTABLISHED\n");
        cycle.established = true;
        lws_callback_on_writable(wsi);
        break;
    case LWS_CALLBACK_CLIENT_CONNECTION_ERROR:
        // A refused port, a host that does not answer, a failed handshake: the cycle has failed.
        lwsl_notice("LWS_CALLBACK_CLIENT_CONNECTION_ERROR: %s\n",
                    in ? EscapeControlCharacters(static_cast<const char*>(in)).c_str() : "(no reason)");
        failCycle(cycle, wsi, texts::kConnectFailed);
        break;
    case LWS_CALLBACK_CLOSED:
    case LWS_CALLBACK_CLIENT_CLOSED:
        lwsl_notice("LWS_CALLBACK_CLOSED\n");
        endCycle(cycle, wsi);
        break;
    case LWS_CALLBACK_CLOSED_CLIENT_HTTP:
    case LWS_CALLBACK_WSI_DESTROY:
        // The connection is gone, whichever way the library tells it: one that never got through
        // its handshake (it timed out, the server hung up) has failed; one that did has closed.
        if (!cycle.serviceOver) {
            if (!cycle.established)
                failCycle(cycle, wsi, texts::kConnectFailed);
            else
                endCycle(cycle, wsi);
        }
        break;
    case LWS_CALLBACK_CLIENT_RECEIVE:
        // Whatever arrives proves the connection alive: the keep-alive pings only after silence.
        lws_validity_confirmed(wsi);
        receive(cycle, wsi, in, len);
        break;
    case LWS_CALLBACK_CLIENT_WRITEABLE:
        // The join goes out once per connection. The library makes the socket writeable again for
        // its own reasons (the keep-alive's ping among them); a second join would be news to the
        // server, and a strict one refuses it.
        if (cycle.joinSent)
            break;
        cycle.joinSent = true;
        if (!sendJoinRequest(cycle, wsi)) {
            lwsl_notice("the join request could not be written\n");
            return -1;  // closes the connection: the cycle ends as after any drop
        }
        break;
    case LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED:
        return confirmExtension(static_cast<const char*>(in));
    default:
        break;
    }
    return 0;
}

}  // namespace zandrel
