#pragma once

// A fixture for the server-text handler. The reading of a message (ParseServerText) needs nothing
// around it; what the handler sends on goes through the program's own sink and queue to a recording
// window standing in for the overlay, delivered on the test's thread.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/ServerText.h"
#include "session/WindowSessionSink.h"
#include "support/RecordingWindow.h"

namespace zandrel::test {

class ServerTextFixture : public ::testing::Test {
protected:
    // The lines that `text`, read as one received message, has to show.
    static std::vector<BarrageMessage> Deliver(const std::string& text)
    {
        ServerMessage message = ParseServerText(text.data(), text.size());
        if (message.event == ServerEvent::Line || message.event == ServerEvent::Joined)
            return {std::move(message.line)};
        return {};
    }
    // Handles `text` as the session does: what it sends goes to the recording window.
    ServerEvent Handle(const std::string& text) { return HandleServerText(text.data(), text.size(), m_sink); }

    COverlayQueue m_queue;
    RecordingWindow m_window{&m_queue};
    CWindowSessionSink m_sink{m_queue, m_window.Handle(), HWND::Null};
};

}  // namespace zandrel::test
