#pragma once

// What the session tells the main window about itself, besides a failure (ISessionSink::Status; the
// program posts it as WM_BARRAGE_STATUS, so that the worker never waits for the UI thread).

#include "base/WindowMessage.h"

namespace zandrel {

enum class SessionStatus : WPARAM {
    Joining = 1,       // a cycle begins: resolving, connecting, joining
    Connected = 2,     // the server confirmed the join
    Reconnecting = 3,  // the connection ended; lParam: ReconnectDetail
};

// Which reconnect in a row, and in how many milliseconds it starts (0: now), in one lParam: the wait
// in tenths of a second (rounded up), so that the UI counts down to the moment itself.
inline LPARAM ReconnectDetail(int attempt, long long delayMs)
{
    const auto clamp = [](long long v) { return static_cast<LPARAM>(v < 0 ? 0 : v > 0x7FFF ? 0x7FFF : v); };
    return (clamp((delayMs + 99) / 100) << 16) | clamp(attempt);
}
inline int ReconnectAttempt(LPARAM detail) { return static_cast<int>(detail & 0x7FFF); }
inline long long ReconnectDelayMs(LPARAM detail) { return static_cast<long long>((detail >> 16) & 0x7FFF) * 100; }
// The wait in whole seconds, rounded up.
inline int ReconnectSeconds(LPARAM detail) { return static_cast<int>((ReconnectDelayMs(detail) + 999) / 1000); }

}  // namespace zandrel
