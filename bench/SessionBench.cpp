// Prints how the chat session behaves where time is the point: how many joins a server that closes
// every connection right after "ack" gets in 10 s, and how long a user stop takes while the name
// resolver hangs. Against the demo chat service, run in this process on a free port.

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

#include <libwebsockets.h>

#include "base/WindowMessage.h"
#include "demo/DemoServer.h"
#include "session/Barrage.h"
#include "session/BarrageMessage.h"
#include "session/SessionSink.h"

namespace {

using namespace zandrel;
using Clock = std::chrono::steady_clock;

// Counts the join lines that reach the overlay: one per join the server confirmed.
// The session's sink, counting the join lines ("ack") it is given.
struct JoinCounter final : CDiscardingSessionSink {
    std::atomic<int> joins{0};
    bool ToOverlay(OverlayCommand command) override
    {
        if (command.kind == OverlayCommand::Kind::Line && command.line.m_strCmd == "ack")
            ++joins;
        return true;
    }
};

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main()
{
    volatile std::sig_atomic_t stop = 0;
    demo::DemoOptions options;
    options.port = 0;
    demo::DemoServer server(options);
    std::string error;
    if (!server.Start(error)) {
        std::fprintf(stderr, "demo service: %s\n", error.c_str());
        return 1;
    }
    int port = 0;
    for (const auto& [name, listenerPort] : server.Listeners())
        if (name == "main")
            port = listenerPort;
    std::thread service([&] { server.Run(stop); });

    JoinCounter overlay;
    {
        CBarrage session(overlay);
        session.SetLogLevel(LLL_ERR);
        session.SetHost("127.0.0.1");
        session.SetPort(port);
        session.SetRoom(901);  // closes right after "ack", every time
        session.Start();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        const int joins = overlay.joins.load();
        const auto before = Clock::now();
        session.UserStop();
        std::printf("close-after-ack server: %d joins in the first 10 s; stop during the back-off: %.1f ms\n", joins,
                    msSince(before));

        // A resolver that takes 8 s, as one that cannot reach its server.
        session.SetResolver([](const std::string&) {
            std::this_thread::sleep_for(std::chrono::seconds(8));
            return std::string("127.0.0.1");
        });
        session.SetHost("chat.example");
        session.Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        const auto stopping = Clock::now();
        session.UserStop();
        std::printf("stop while the resolver takes 8 s: %.1f ms\n", msSince(stopping));
    }
    stop = 1;
    service.join();
    return 0;
}
