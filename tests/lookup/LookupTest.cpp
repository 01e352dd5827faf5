// The lookup against the demo service's lookup listeners, one per kind of reply.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ApplicationName.h"
#include "ChatServerLookup.h"
#include "DemoPorts.h"
#include "HttpRequest.h"

namespace zandrel {
namespace {

class Lookup : public ::testing::Test {
protected:
    void SetUp() override { m_saved = CurrentLookupSettings(); }
    void TearDown() override { CurrentLookupSettings() = m_saved; }

    static void PointAt(int port)
    {
        CurrentLookupSettings().host = "127.0.0.1:" + std::to_string(port);
        CurrentLookupSettings().connectTimeoutSeconds = 5;
        CurrentLookupSettings().stallTimeoutSeconds = 2;
    }

    LookupSettings m_saved;
};

struct ListenerCase {
    const char* listener;
    bool ok;
    bool chatPort;  // the reply names the demo's chat port
    int port;       // otherwise this port
    std::u16string error;
};

TEST_F(Lookup, EveryKindOfReply)
{
    const int chat = test::DemoPort("main");
    const std::vector<ListenerCase> cases = {
        {"main", true, true, 0, u""},
        {"plain", true, false, test::DemoPort("plain"), u""},
        {"lookup.crlf", true, true, 0, u""},
        {"lookup.blanks", true, true, 0, u""},
        {"lookup.long", true, true, 0, u""},
        {"lookup.emptyport", true, false, 0, u""},
        {"lookup.bigport", true, false, 99999, u""},
        {"lookup.nocolon", false, false, 0, kLookupFailedText},
        {"lookup.empty", false, false, 0, kLookupFailedText},
        {"lookup.leadingcolon", false, false, 0, kLookupFailedText},
        {"lookup.notfound", false, false, 0, kLookupFailedText},
        {"lookup.cutshort", false, false, 0, kLookupFailedText},
        {"lookup.slow", false, false, 0, kLookupFailedText},  // stalls longer than allowed
        {"lookup.twocolons", false, false, 0, kLookupBadAddressText},
        {"lookup.sign", false, false, 0, kLookupBadAddressText},
        {"lookup.letter", false, false, 0, kLookupBadAddressText},
        {"lookup.servererror", false, false, 0, kLookupBadAddressText},
    };
    for (const ListenerCase& c : cases) {
        SCOPED_TRACE(c.listener);
        PointAt(test::DemoPort(c.listener));
        std::string host;
        int port = -1;
        std::u16string error;
        EXPECT_EQ(GetChatServer(host, port, error), c.ok);
        EXPECT_EQ(error, c.error);
        if (c.ok) {
            EXPECT_EQ(host, "127.0.0.1");
            EXPECT_EQ(port, c.chatPort ? chat : c.port);
        }
    }
}

TEST_F(Lookup, AServerThatIsDown)
{
    PointAt(test::ClosedPort());
    std::string host;
    int port = -1;
    std::u16string error;
    EXPECT_FALSE(GetChatServer(host, port, error));
    EXPECT_EQ(error, kLookupFailedText);
}

TEST_F(Lookup, TheRequestCarriesTheExecutablesNameAsUserAgent)
{
    EXPECT_EQ(ApplicationName(), "lookup_tests");
    CHttpRequest request;
    ASSERT_TRUE(request.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("main")) + "/agent"));
    EXPECT_EQ(request.m_strResponse, "lookup_tests");
    EXPECT_EQ(request.m_nStatus, 200);
}

TEST_F(Lookup, AFailedRequestLeavesNoBody)
{
    CHttpRequest request;
    request.m_nStallTimeoutSeconds = 2;
    EXPECT_FALSE(request.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("lookup.cutshort")) + "/"));
    EXPECT_TRUE(request.m_strResponse.empty());
    EXPECT_EQ(request.m_nStatus, -1);

    ASSERT_TRUE(request.Get("http://127.0.0.1:" + std::to_string(test::DemoPort("main")) + "/nothing-here"));
    EXPECT_EQ(request.m_nStatus, 404);  // any status counts as received
    EXPECT_EQ(request.m_strResponse, "not found\n");
}

}  // namespace
}  // namespace zandrel
