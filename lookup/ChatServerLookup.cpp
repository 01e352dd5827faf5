#include "lookup/ChatServerLookup.h"

#include <algorithm>
#include <cctype>
#include <climits>

#include "base/DecimalText.h"
#include "base/TextCodec.h"

namespace zandrel {
namespace {

// Unicode white space: the six ASCII controls and spaces, and the wide spaces a reply may carry.
bool isWideSpace(char16_t c)
{
    switch (c) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\v':
    case u'\f':
    case u'\r':
    case 0x0085:
    case 0x00A0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return c >= 0x2000 && c <= 0x200A;
    }
}

bool isDnsChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
}

}  // namespace

LookupSettings& CurrentLookupSettings()
{
    static LookupSettings settings;
    return settings;
}

bool IsValidLookupHost(std::string_view text)
{
    std::string_view host = text;
    std::string_view port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1)
            return false;
        const std::string_view inside = text.substr(1, close - 1);
        if (!std::all_of(inside.begin(), inside.end(),
                         [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; }))
            return false;
        host = {};
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return false;
            port = rest.substr(1);
            if (port.empty())
                return false;
        }
    } else {
        const std::size_t colon = text.find(':');
        if (colon != std::string_view::npos) {
            host = text.substr(0, colon);
            port = text.substr(colon + 1);
            if (port.empty())
                return false;
        }
        if (host.empty() || !std::all_of(host.begin(), host.end(), isDnsChar) || host.front() == '-' ||
            host.front() == '.')
            return false;
    }
    if (!port.empty()) {
        if (port.size() > 5 || !std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        const int value = std::stoi(std::string(port));
        if (value < 1 || value > 65535)
            return false;
    }
    return true;
}

std::string LookupUrl(const LookupSettings& settings) { return "http://" + settings.host + kLookupPathAndQuery; }

bool ParseChatServerReply(std::string_view body, std::string& host, int& port, std::u16string& errorText)
{
    errorText.clear();
    const std::size_t colon = body.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        errorText = kLookupFailedText;
        return false;
    }
    host.assign(body.substr(0, colon));

    std::u16string wide = AnsiToWide(body.substr(colon + 1));
    while (!wide.empty() && isWideSpace(wide.back()))
        wide.pop_back();
    const auto first = std::find_if_not(wide.begin(), wide.end(), isWideSpace);
    wide.erase(wide.begin(), first);
    const std::string portText = WideToAnsi(wide);

    // Digits only, and a port a connection can be made to: an empty port, 0 or one past 65535 is
    // an address the server got wrong, not one to try.
    const long long value = SaturatingDecimal(portText, INT_MAX);
    if (portText.empty() ||
        !std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; }) || value < 1 ||
        value > 65535) {
        errorText = kLookupBadAddressText;
        return false;
    }
    port = static_cast<int>(value);
    return true;
}

bool GetChatServer(std::string& host, int& port, std::u16string& errorText)
{
    CHttpRequest request;
    return GetChatServer(request, host, port, errorText);
}

bool GetChatServer(CHttpRequest& request, std::string& host, int& port, std::u16string& errorText)
{
    errorText.clear();
    const LookupSettings& settings = CurrentLookupSettings();
    request.m_nTimeoutSeconds = settings.timeoutSeconds;
    request.m_resolve = settings.resolve;
    if (!request.Get(LookupUrl(settings))) {
        errorText = kLookupFailedText;
        return false;
    }
    return ParseChatServerReply(request.m_strResponse, host, port, errorText);
}

}  // namespace zandrel
