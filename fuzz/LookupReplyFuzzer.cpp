// The chat-server lookup's reply parser on arbitrary bodies, against a model of the rule: the host
// is everything before the first ':' (which must not be the first byte), the port everything after
// it, trimmed of white space, and all decimal digits.

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "lookup/ChatServerLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace zandrel;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    std::string host = "unset";
    int port = -1;
    std::u16string error;
    const bool ok = ParseChatServerReply(body, host, port, error);

    const std::size_t colon = body.find(':');
    if (colon == std::string_view::npos || colon == 0) {
        FUZZ_CHECK(!ok && error == kLookupFailedText);
        return 0;
    }
    FUZZ_CHECK(host == body.substr(0, colon));
    FUZZ_CHECK(ok == error.empty());
    FUZZ_CHECK(ok || error == kLookupBadAddressText);
    if (ok) {
        FUZZ_CHECK(port >= 0);
        // The digits are all there, somewhere after the colon, and nothing but blanks around them.
        const std::string_view rest = body.substr(colon + 1);
        const std::size_t digits = static_cast<std::size_t>(
            std::count_if(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }));
        FUZZ_CHECK(digits > 0 || port == 0);
        FUZZ_CHECK(rest.find(':') == std::string_view::npos);
        if (!rest.empty() && digits == rest.size()) {
            long long value = 0;
            for (const char c : rest)
                value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
            FUZZ_CHECK(port == value);
        }
    }
    return 0;
}
