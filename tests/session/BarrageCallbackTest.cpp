// The chat connection's callback for the reasons that need no live connection.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "session/BarrageCallback.h"
#include "session/ProtocolTexts.h"
#include "session/SessionSink.h"

namespace zandrel {
namespace {

struct CallbackCase {
    const char* label;
    lws_callback_reasons reason;
    const char* in;
    int result;
    bool stopService;
    std::u16string lastError;
};

// These reasons tell the session nothing: a sink that fails the test if they do.
class SilentSink final : public ISessionSink {
public:
    bool ToOverlay(OverlayCommand) override { return Unexpected(); }
    bool WaitUntilOverlayDone() override { return Unexpected(); }
    void Status(SessionStatus, LPARAM) override { Unexpected(); }
    void Failed(std::u16string) override { Unexpected(); }
    void CancelWaits() override {}
    void AllowWaits() override {}

private:
    static bool Unexpected()
    {
        ADD_FAILURE() << "the callback told the session something";
        return false;
    }
};

TEST(BarrageCallback, ReasonsThatNeedNoConnection)
{
    const std::vector<CallbackCase> cases = {
        {"deflate-stream is refused", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "deflate-stream", 1, 0, u""},
        {"x-google-mux is refused", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "x-google-mux", 1, 0, u""},
        {"permessage-deflate is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "permessage-deflate", 0, 0,
         u""},
        {"deflate-frame is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "deflate-frame", 0, 0, u""},
        {"x-webkit-deflate-frame is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED,
         "x-webkit-deflate-frame", 0, 0, u""},
        {"a nameless extension is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, nullptr, 0, 0, u""},
        {"close ends the service loop", LWS_CALLBACK_CLOSED, nullptr, 0, 1, u""},
        {"client close ends the service loop", LWS_CALLBACK_CLIENT_CLOSED, nullptr, 0, 1, u""},
        {"connection error fails the cycle", LWS_CALLBACK_CLIENT_CONNECTION_ERROR, "connect failed", 0, 1,
         texts::kConnectFailed},
        {"connection error without a reason", LWS_CALLBACK_CLIENT_CONNECTION_ERROR, nullptr, 0, 1,
         texts::kConnectFailed},
        {"other reasons change nothing", LWS_CALLBACK_RECEIVE_PONG, "x", 0, 0, u""},
        {"protocol init changes nothing", LWS_CALLBACK_PROTOCOL_INIT, nullptr, 0, 0, u""},
        {"server receive changes nothing", LWS_CALLBACK_RECEIVE, "{\"cmd\":\"rej\"}", 0, 0, u""},
    };
    for (const CallbackCase& c : cases) {
        SCOPED_TRACE(c.label);
        SilentSink sink;
        std::atomic<bool> stop{false};
        CycleState cycle(sink, stop);
        EXPECT_EQ(HandleCycleCallback(cycle, nullptr, c.reason, const_cast<char*>(c.in), c.in ? std::strlen(c.in) : 0),
                  c.result);
        EXPECT_EQ(stop.load(), c.stopService);
        EXPECT_EQ(cycle.error, c.lastError);
    }
    // Without a cycle (before the context has its state), only the extensions are answered.
    EXPECT_EQ(BarrageCallback(nullptr, LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, nullptr,
                              const_cast<char*>("deflate-stream"), 14),
              1);
    EXPECT_EQ(BarrageCallback(nullptr, LWS_CALLBACK_CLOSED, nullptr, nullptr, 0), 0);
}

TEST(BarrageCallback, TheProtocolHasANameAndRequestsNoSubprotocol)
{
    ASSERT_NE(g_protocols[0].name, nullptr);
    EXPECT_STREQ(g_protocols[0].name, kChatProtocolName);
    EXPECT_EQ(g_protocols[1].name, nullptr);  // the end of the table
}

}  // namespace
}  // namespace zandrel
