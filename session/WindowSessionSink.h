#pragma once

#include <mutex>
#include <string>

#include "base/WindowMessage.h"
#include "session/OverlayQueue.h"
#include "session/SessionSink.h"

namespace zandrel {

// The session's news as the program's windows take it:
//  - the overlay's commands through its queue, whose first command posts WM_BARRAGE_DRAIN to it;
//  - the state as a posted WM_BARRAGE_STATUS to the main window;
//  - the end as a posted WM_BARRAGE_FAIL to the main window, whose handler reads the reason here.
// Nothing here waits for the UI thread except the queue, and a stop cancels that. The queue and the
// two windows are given at construction; window handles are numbers, so a window that has gone
// simply receives nothing.
class CWindowSessionSink final : public ISessionSink {
public:
    CWindowSessionSink(COverlayQueue& overlayQueue, HWND overlay, HWND mainWindow);

    bool ToOverlay(OverlayCommand command) override;
    bool WaitUntilOverlayDone() override;
    void Status(SessionStatus status, LPARAM detail) override;
    void Failed(std::u16string reason) override;
    void CancelWaits() override;
    void AllowWaits() override;

    // Any thread (the main window's, after WM_BARRAGE_FAIL): why the session last failed.
    std::u16string FailureReason() const;

private:
    COverlayQueue& m_overlayQueue;
    const HWND m_overlay;
    const HWND m_mainWindow;
    mutable std::mutex m_reasonMutex;
    std::u16string m_reason;
};

}  // namespace zandrel
