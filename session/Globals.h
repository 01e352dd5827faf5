#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "base/CrtSection.h"
#include "base/WindowMessage.h"
#include "session/OverlayQueue.h"

namespace zandrel {

inline constexpr std::size_t kSendBufferSize = 4096;

// The one lock of the program. It guards single stores of g_bStopService and g_szSendBuffer and is
// never held while calling out.
extern CCrtSection g_lock;
// 1 ends the worker's service loop. Written under g_lock by both threads, polled without it.
extern std::atomic<int> g_bStopService;
// The join request waiting to be sent. Worker thread only.
extern char g_szSendBuffer[kSendBufferSize];
// Why the last cycle failed. Written by the worker, read by the UI thread after WM_BARRAGE_FAIL.
extern std::u16string g_strLastError;
// The overlay and the main window, published on the UI thread before any worker starts.
extern std::atomic<HWND> g_hBubbleWnd;
extern std::atomic<HWND> g_hMainWnd;
// The session's commands for the overlay (g_hBubbleWnd): lines, show, hide, raise, in order.
extern COverlayQueue g_overlayQueue;

void SetStopService(int value);
// Copies `text` with its NUL. A text that does not fit is refused whole: false, buffer unchanged.
bool SetSendBuffer(const char* text);

}  // namespace zandrel
