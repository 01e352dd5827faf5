#include "session/Globals.h"

#include <cstring>

#include "session/SessionStatus.h"

namespace zandrel {

constinit CCrtSection g_lock;
std::atomic<int> g_bStopService{0};
char g_szSendBuffer[kSendBufferSize] = {};
std::u16string g_strLastError;
std::atomic<HWND> g_hBubbleWnd{HWND::Null};
std::atomic<HWND> g_hMainWnd{HWND::Null};
COverlayQueue g_overlayQueue;

void PostSessionStatus(SessionStatus status, LPARAM detail)
{
    PostWindowMessage(g_hMainWnd.load(), WM_BARRAGE_STATUS, static_cast<WPARAM>(status), detail);
}

void SetStopService(int value)
{
    CLockGuard guard(g_lock);
    g_bStopService.store(value);
}

bool SetSendBuffer(const char* text)
{
    const std::size_t length = std::strlen(text);
    if (length >= kSendBufferSize)
        return false;
    CLockGuard guard(g_lock);
    std::memcpy(g_szSendBuffer, text, length + 1);
    return true;
}

}  // namespace zandrel
