#pragma once

// The lookup endpoint's fault modes: each gets a listener of its own when the service runs with
// --fault-lookups, so that one service process can answer every kind of bad reply.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zandrel::demo {

struct LookupReply {
    enum class Kind { Answer, Slow, CutShort };
    LookupReply() = default;
    LookupReply(unsigned replyStatus, std::string replyBody, Kind replyKind = Kind::Answer)
        : status(replyStatus), body(std::move(replyBody)), kind(replyKind)
    {}
    unsigned status = 200;
    std::string body;
    Kind kind = Kind::Answer;
};

// The names of the fault modes, in a fixed order.
const std::vector<std::string>& LookupFaultNames();
// The reply of a fault mode; `chatHost` and `chatPort` are the real chat server's address.
LookupReply LookupFaultReply(std::string_view fault, const std::string& chatHost, int chatPort);
std::string LookupFaultsHelp();

}  // namespace zandrel::demo
