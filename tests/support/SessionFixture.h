#pragma once

// A chat session with recording windows in place of the overlay and the main window, and a test
// thread in place of the UI thread, for tests against a real chat server on loopback.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <libwebsockets.h>

#include "session/Barrage.h"
#include "session/WindowSessionSink.h"
#include "support/RecordingWindow.h"
#include "support/TestUiThread.h"

namespace zandrel::test {

class SessionFixture : public ::testing::Test {
protected:
    using Kind = RecordedEvent::Kind;

    void SetUp() override
    {
        m_session.SetLogLevel(LLL_ERR);
        m_session.SetHost("127.0.0.1");
    }
    void TearDown() override { StopOnUiThread(); }

    // The stop as the main window makes it: on the UI thread, which the worker may be waiting on.
    // It runs on a thread of its own, so that a stop that hangs cannot hang the test: after `bound`
    // the test program ends with a message (the stopping thread still uses this fixture, so going
    // on would not be safe). Returns once the stop has returned and the UI thread has taken what
    // the stopped session had queued for the overlay.
    void StopOnUiThread(std::chrono::seconds bound = std::chrono::seconds(10))
    {
        auto stopped = std::make_shared<std::promise<void>>();
        std::future<void> done = stopped->get_future();
        std::thread([this, stopped] {
            m_ui.RunSync([this] { m_session.UserStop(); });
            m_ui.RunSync([] {});  // after the drains posted before it
            stopped->set_value();
        }).detach();
        if (done.wait_for(bound) != std::future_status::ready) {
            std::fprintf(stderr, "FATAL: UserStop did not return within %lld s\n",
                         static_cast<long long>(bound.count()));
            std::abort();
        }
    }

    static bool HasLine(const std::vector<RecordedEvent>& events, const std::string& text)
    {
        return std::any_of(events.begin(), events.end(),
                           [&](const RecordedEvent& e) { return e.kind == Kind::Line && e.line.m_strText == text; });
    }
    bool WaitForLine(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const
    {
        return m_overlay.WaitFor([&](const auto& events) { return HasLine(events, text); }, timeout);
    }
    std::size_t CountLines(const std::string& text) const
    {
        const std::vector<BarrageMessage> lines = m_overlay.Lines();
        return static_cast<std::size_t>(std::count_if(
            lines.begin(), lines.end(), [&](const BarrageMessage& line) { return line.m_strText == text; }));
    }

    TestUiThread m_ui;
    COverlayQueue m_overlayQueue;
    RecordingWindow m_overlay{&m_overlayQueue};
    RecordingWindow m_main;
    CWindowSessionSink m_sink{m_overlayQueue, m_overlay.Handle(), m_main.Handle()};
    CBarrage m_session{m_sink};
};

}  // namespace zandrel::test
