// The chat connection's callback for the reasons that need no live connection.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "session/BarrageCallback.h"
#include "session/Globals.h"
#include "session/ProtocolTexts.h"

namespace zandrel {
namespace {

struct CallbackCase {
    const char* label;
    lws_callback_reasons reason;
    const char* in;
    int result;
    int stopService;
    std::u16string lastError;
};

TEST(BarrageCallback, ReasonsThatNeedNoConnection)
{
    const std::vector<CallbackCase> cases = {
        {"deflate-stream is refused", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "deflate-stream", 1, 0, u""},
        {"x-google-mux is refused", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "x-google-mux", 1, 0, u""},
        {"permessage-deflate is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "permessage-deflate", 0, 0, u""},
        {"deflate-frame is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "deflate-frame", 0, 0, u""},
        {"x-webkit-deflate-frame is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, "x-webkit-deflate-frame", 0, 0, u""},
        {"a nameless extension is accepted", LWS_CALLBACK_CLIENT_CONFIRM_EXTENSION_SUPPORTED, nullptr, 0, 0, u""},
        {"close ends the service loop", LWS_CALLBACK_CLOSED, nullptr, 0, 1, u""},
        {"client close ends the service loop", LWS_CALLBACK_CLIENT_CLOSED, nullptr, 0, 1, u""},
        {"connection error fails the cycle", LWS_CALLBACK_CLIENT_CONNECTION_ERROR, "connect failed", 0, 1, texts::kConnectFailed},
        {"connection error without a reason", LWS_CALLBACK_CLIENT_CONNECTION_ERROR, nullptr, 0, 1, texts::kConnectFailed},
        {"other reasons change nothing", LWS_CALLBACK_RECEIVE_PONG, "x", 0, 0, u""},
        {"protocol init changes nothing", LWS_CALLBACK_PROTOCOL_INIT, nullptr, 0, 0, u""},
        {"server receive changes nothing", LWS_CALLBACK_RECEIVE, "{\"cmd\":\"rej\"}", 0, 0, u""},
    };
    for (const CallbackCase& c : cases) {
        SCOPED_TRACE(c.label);
        g_bStopService = 0;
        g_strLastError.clear();
        EXPECT_EQ(BarrageCallback(nullptr, c.reason, nullptr, const_cast<char*>(c.in), c.in ? std::strlen(c.in) : 0),
                  c.result);
        EXPECT_EQ(g_bStopService.load(), c.stopService);
        EXPECT_EQ(g_strLastError, c.lastError);
    }
    g_bStopService = 0;
    g_strLastError.clear();
}

TEST(BarrageCallback, TheProtocolHasANameAndRequestsNoSubprotocol)
{
    ASSERT_NE(g_protocols[0].name, nullptr);
    EXPECT_STREQ(g_protocols[0].name, kChatProtocolName);
    EXPECT_EQ(g_protocols[1].name, nullptr);  // the end of the table
}

}  // namespace
}  // namespace zandrel
