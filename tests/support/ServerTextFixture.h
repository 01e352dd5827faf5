#pragma once

// A fixture for the server-text handler: a recording window stands in for the overlay, lines are
// delivered directly on the test's thread, and the session's stop flag and error text start clear.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/Globals.h"
#include "session/ServerText.h"
#include "support/RecordingWindow.h"

namespace zandrel::test {

class ServerTextFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_hBubbleWnd = m_window.Handle();
        Reset();
    }
    void TearDown() override { g_hBubbleWnd = HWND::Null; }

    void Reset()
    {
        m_window.Clear();
        g_bStopService = 0;
        g_strLastError.clear();
    }
    // Handles `text` as one received message and returns the lines it delivered.
    std::vector<BarrageMessage> Deliver(const std::string& text)
    {
        Reset();
        HandleServerText(text.data(), text.size());
        return m_window.Lines();
    }

    RecordingWindow m_window;
};

}  // namespace zandrel::test
