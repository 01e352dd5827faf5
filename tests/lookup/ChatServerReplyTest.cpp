#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lookup/ChatServerLookup.h"

namespace zandrel {
namespace {

struct ReplyCase {
    std::string body;
    bool ok;
    std::string host;  // expected host; also checked on failure when the ':' was found
    int port;
    std::u16string error;
};

const std::vector<ReplyCase> kReplies = {
    {"10.0.0.5:8080", true, "10.0.0.5", 8080, u""},
    {"10.0.0.5:8080\r\n", true, "10.0.0.5", 8080, u""},
    {"10.0.0.5: \t8080 \v\f", true, "10.0.0.5", 8080, u""},
    {" 10.0.0.5:8080", true, " 10.0.0.5", 8080, u""},
    {"10.0.0.5:\xA1\xA1"
     "8080\xA1\xA1",
     true, "10.0.0.5", 8080, u""},  // ideographic spaces
    {"10.0.0.5:0008080", true, "10.0.0.5", 8080, u""},
    // The port must be one a connection can be made to: 1 to 65535.
    {"10.0.0.5:1", true, "10.0.0.5", 1, u""},
    {"10.0.0.5:65535", true, "10.0.0.5", 65535, u""},
    {"10.0.0.5:", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:  ", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:0", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:000", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:65536", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"127.0.0.1:83626", false, "127.0.0.1", 0, kLookupBadAddressText},
    {"10.0.0.5:99999999999999999999", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"chat.example.com:443", true, "chat.example.com", 443, u""},
    {"10.0.0.5:80:1", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:-80", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:+80", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:80a", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"10.0.0.5:80 80", false, "10.0.0.5", 0, kLookupBadAddressText},
    {"Error: the chat service is resting", false, "Error", 0, kLookupBadAddressText},
    {":8080", false, "", 0, kLookupFailedText},
    {"10.0.0.5", false, "", 0, kLookupFailedText},
    {"", false, "", 0, kLookupFailedText},
    {"<html><body><h1>404 Not Found</h1></body></html>", false, "", 0, kLookupFailedText},
};

TEST(ChatServerReply, Table)
{
    for (const ReplyCase& c : kReplies) {
        SCOPED_TRACE(c.body);
        std::string host = "unchanged";
        int port = -1;
        std::u16string error = u"stale";
        EXPECT_EQ(ParseChatServerReply(c.body, host, port, error), c.ok);
        EXPECT_EQ(error, c.error);
        if (c.ok || c.error == kLookupBadAddressText) {
            EXPECT_EQ(host, c.host);
        }
        if (c.ok) {
            EXPECT_EQ(port, c.port);
        }
    }
}

TEST(ChatServerReply, LookupHostSetting)
{
    struct HostCase {
        const char* text;
        bool valid;
    };
    for (const HostCase& c :
         {HostCase{"127.0.0.1:8090", true}, HostCase{"chat.example.com", true}, HostCase{"example.com:80", true},
          HostCase{"[::1]:8090", true}, HostCase{"[::1]", true}, HostCase{"", false}, HostCase{"example.com:", false},
          HostCase{"example.com:0", false}, HostCase{"example.com:65536", false}, HostCase{"example.com:8o", false},
          HostCase{"exa mple.com", false}, HostCase{"example.com/x", false}, HostCase{"user@example.com", false},
          HostCase{"-example.com", false}, HostCase{"[::1", false}, HostCase{"[]:80", false}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsValidLookupHost(c.text), c.valid);
    }
    LookupSettings settings{"127.0.0.1:8090", 1};
    EXPECT_EQ(LookupUrl(settings), "http://127.0.0.1:8090/index.php?c=plugs&a=get_chat_server");
}

}  // namespace
}  // namespace zandrel
