#include "session/WindowSessionSink.h"

namespace zandrel {

CWindowSessionSink::CWindowSessionSink(COverlayQueue& overlayQueue, HWND overlay, HWND mainWindow)
    : m_overlayQueue(overlayQueue), m_overlay(overlay), m_mainWindow(mainWindow)
{}

bool CWindowSessionSink::ToOverlay(OverlayCommand command)
{
    return m_overlayQueue.Push(m_overlay, std::move(command));
}

bool CWindowSessionSink::WaitUntilOverlayDone() { return m_overlayQueue.WaitUntilEmpty(); }

void CWindowSessionSink::Status(SessionStatus status, LPARAM detail)
{
    PostWindowMessage(m_mainWindow, WM_BARRAGE_STATUS, static_cast<WPARAM>(status), detail);
}

void CWindowSessionSink::Failed(std::u16string reason)
{
    // The reason first: the handler of the message reads it.
    {
        std::lock_guard lock(m_reasonMutex);
        m_reason = std::move(reason);
    }
    PostWindowMessage(m_mainWindow, WM_BARRAGE_FAIL, 1, 0);
}

void CWindowSessionSink::CancelWaits() { m_overlayQueue.Cancel(); }

void CWindowSessionSink::AllowWaits() { m_overlayQueue.Allow(); }

std::u16string CWindowSessionSink::FailureReason() const
{
    std::lock_guard lock(m_reasonMutex);
    return m_reason;
}

}  // namespace zandrel
