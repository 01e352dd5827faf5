#pragma once

#include <cstddef>

namespace zandrel {

// Handles one whole message from the chat server, on the worker thread: at most one line goes to the
// overlay (WM_BARRAGE_MSG to g_hBubbleWnd), "ack" shows the overlay, "rej" ends the cycle with
// "连接请求被拒绝！". Anything it cannot read is ignored.
//
// What it does with members of an unexpected type:
// - a top level that is not an object, or a "cmd" that is not a string or boolean: the message is
//   ignored;
// - "amount", "data", "user", "name" or "uid" of another type: that member counts as absent.
void HandleServerText(const char* data, std::size_t length);

}  // namespace zandrel
