#include "demo/LookupFaults.h"

namespace zandrel::demo {

const std::vector<std::string>& LookupFaultNames()
{
    static const std::vector<std::string> names = {
        "crlf", "blanks", "nocolon",  "empty",       "leadingcolon", "emptyport", "bigport", "twocolons",
        "sign", "letter", "notfound", "servererror", "long",         "huge",      "slow",    "cutshort",
    };
    return names;
}

LookupReply LookupFaultReply(std::string_view fault, const std::string& host, int port)
{
    const std::string address = host + ":" + std::to_string(port);
    if (fault == "crlf")
        return {200, address + "\r\n"};
    if (fault == "blanks")
        return {200, host + ": \t" + std::to_string(port) + "  \r\n"};
    if (fault == "nocolon")
        return {200, host};
    if (fault == "empty")
        return {200, ""};
    // Appended, not ":" + ...: GCC 12 at -O3 takes that operator+ for an overlapping memcpy
    // (-Wrestrict, a false positive).
    if (fault == "leadingcolon")
        return {200, std::string(":").append(std::to_string(port))};
    if (fault == "emptyport")
        return {200, host + ":"};
    if (fault == "bigport")
        return {200, host + ":99999"};
    if (fault == "twocolons")
        return {200, host + ":80:1"};
    if (fault == "sign")
        return {200, host + ":-80"};
    if (fault == "letter")
        return {200, host + ":80a"};
    if (fault == "notfound")
        return {404, "<html><body><h1>404 Not Found</h1></body></html>"};
    if (fault == "servererror")
        return {500, "Error: the chat service is resting"};
    if (fault == "long")
        return {200, address + std::string(3000, ' ')};
    // A valid address padded with blanks past the 1 MiB that a lookup reply may hold.
    if (fault == "huge")
        return {200, address + std::string((1 << 20) + 1, ' ')};
    if (fault == "slow")
        return {200, address, LookupReply::Kind::Slow};
    if (fault == "cutshort")
        return {200, address, LookupReply::Kind::CutShort};
    return {200, address};
}

std::string LookupFaultsHelp()
{
    return "Lookup fault modes (with --fault-lookups, each on a port of its own):\n"
           "  crlf          the address and a line break\n"
           "  blanks        blanks and tabs around the port\n"
           "  nocolon       the host alone\n"
           "  empty         an empty body\n"
           "  leadingcolon  the port alone, after a ':'\n"
           "  emptyport     the host and a ':' with nothing after it\n"
           "  bigport       port 99999\n"
           "  twocolons     host:80:1\n"
           "  sign          host:-80\n"
           "  letter        host:80a\n"
           "  notfound      a 404 page without a ':'\n"
           "  servererror   a 500 page with a ':' and no port\n"
           "  long          the address and 3000 blanks\n"
           "  huge          the address and blanks past 1 MiB\n"
           "  slow          the address, after --slow-lookup-ms\n"
           "  cutshort      promises 100 bytes, sends a few, closes\n";
}

}  // namespace zandrel::demo
