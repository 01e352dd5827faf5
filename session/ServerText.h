#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <json/value.h>

#include "session/BarrageMessage.h"

namespace zandrel {

class ISessionSink;

// What a message from the chat server means.
enum class ServerEvent {
    None,     // nothing: unreadable, unknown, or without what it needs
    Line,     // a line to show: a chat line or a gift
    Joined,   // "ack": the join is confirmed; the join line to show
    Refused,  // "rej": the server refuses the join
};

struct ServerMessage {
    ServerEvent event = ServerEvent::None;
    BarrageMessage line;  // Line and Joined: the line to show
    bool gift = false;    // the line is a gift's (its log line carries no text)
};

// Reads one whole message from the chat server. Anything it cannot read means nothing.
//
// What it does with members of an unexpected type:
// - a top level that is not an object, or a "cmd" that is not a string or boolean: the message
//   means nothing;
// - "amount", "data", "user", "name" or "uid" of another type: that member counts as absent.
ServerMessage ParseServerText(const char* data, std::size_t length);

// Reads one whole message and does what it asks of the overlay, on the worker thread: a line goes
// to `sink`; "ack" sends the join line, then shows and raises the overlay. Logs the message and its
// line. What a refusal ends is the session's to decide: it gets the event back.
ServerEvent HandleServerText(const char* data, std::size_t length, ISessionSink& sink);

// The reader of the handler: JSON as the classic reader's default features take it (comments,
// any value at the top level, trailing text ignored), with the program's reading of the bytes
// inside strings (see RewriteUnicodeEscapes). Empty when the text is not readable.
std::optional<Json::Value> ParseServerJson(std::string_view text);

}  // namespace zandrel
