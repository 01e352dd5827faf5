#pragma once

#include <string>
#include <string_view>

#include "lookup/HttpRequest.h"

namespace zandrel {

inline constexpr char16_t kLookupFailedText[] = u"无法获取直播室服务地址！";
inline constexpr char16_t kLookupBadAddressText[] = u"获取的直播室服务地址错误！";
inline constexpr char kLookupPathAndQuery[] = "/index.php?c=plugs&a=get_chat_server";
// The embedded demo service's address, for a program started without configuration.
inline constexpr char kDefaultLookupHost[] = "127.0.0.1:8090";
// The environment variable that names the lookup host.
inline constexpr char kLookupHostVariable[] = "ZANDREL_LOOKUP_HOST";

// Where the lookup goes and how long it may take, all told. Set once at start-up, before any lookup
// (tests set it too).
struct LookupSettings {
    std::string host = kDefaultLookupHost;  // host or host:port
    long timeoutSeconds = CHttpRequest::kDefaultTimeoutSeconds;
    ResolveFunction resolve = ResolveWithSystem;  // where the host's name is resolved
};
LookupSettings& CurrentLookupSettings();

// A host or host:port that can stand in a URL: a DNS name or an IPv4 address, or an IPv6 address in
// brackets, with an optional decimal port of 1 to 65535.
bool IsValidLookupHost(std::string_view hostAndPort);
std::string LookupUrl(const LookupSettings& settings);

// Reads a lookup reply: the host, a ':' and a decimal port with white space around it. On false,
// errorText says why and host may already have been set.
bool ParseChatServerReply(std::string_view body, std::string& host, int& port, std::u16string& errorText);

// Asks the configured web server where the chat server is, with `request` (which another thread
// may abort). Blocks for as long as the request lasts.
bool GetChatServer(CHttpRequest& request, std::string& host, int& port, std::u16string& errorText);
bool GetChatServer(std::string& host, int& port, std::u16string& errorText);

}  // namespace zandrel
