#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include <json/value.h>

namespace zandrel {

// What a message from the chat server did.
enum class ServerEvent {
    None,     // nothing: unreadable, unknown, or without what it needs
    Line,     // a line went to the overlay
    Joined,   // "ack": the join line went to the overlay and the overlay was shown
    Refused,  // "rej": the cycle ends with "连接请求被拒绝！"
};

// Handles one whole message from the chat server, on the worker thread: at most one line goes to the
// overlay (through g_overlayQueue), "ack" shows the overlay, "rej" ends the cycle with
// "连接请求被拒绝！". Anything it cannot read is ignored.
//
// What it does with members of an unexpected type:
// - a top level that is not an object, or a "cmd" that is not a string or boolean: the message is
//   ignored;
// - "amount", "data", "user", "name" or "uid" of another type: that member counts as absent.
ServerEvent HandleServerText(const char* data, std::size_t length);

// The reader of the handler: JSON as the classic reader's default features take it (comments,
// any value at the top level, trailing text ignored), with the program's reading of the bytes
// inside strings (see RewriteUnicodeEscapes). Empty when the text is not readable.
std::optional<Json::Value> ParseServerJson(std::string_view text);

}  // namespace zandrel
