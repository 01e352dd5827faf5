#pragma once

// What the session tells the main window about itself, besides a failure: posted as
// WM_BARRAGE_STATUS, so that the worker never waits for the UI thread to read it.

#include "base/WindowMessage.h"

namespace zandrel {

enum class SessionStatus : WPARAM {
    Joining = 1,       // a cycle begins: resolving, connecting, joining
    Connected = 2,     // the server confirmed the join
    Reconnecting = 3,  // the connection ended; lParam: ReconnectDetail
};

// Which reconnect in a row, and in how many seconds it starts (0: now), in one lParam.
inline LPARAM ReconnectDetail(int attempt, int seconds)
{
    const auto clamp = [](int v) { return static_cast<LPARAM>(v < 0 ? 0 : v > 0x7FFF ? 0x7FFF : v); };
    return (clamp(seconds) << 16) | clamp(attempt);
}
inline int ReconnectAttempt(LPARAM detail) { return static_cast<int>(detail & 0x7FFF); }
inline int ReconnectSeconds(LPARAM detail) { return static_cast<int>((detail >> 16) & 0x7FFF); }

// Worker thread: posts the status to the main window (g_hMainWnd).
void PostSessionStatus(SessionStatus status, LPARAM detail = 0);

}  // namespace zandrel
