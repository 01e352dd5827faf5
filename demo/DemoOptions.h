#pragma once

#include <cstdint>
#include <string>

namespace zandrel::demo {

struct DemoOptions {
    std::string listenAddress = "127.0.0.1";
    std::string publicHost;  // the host named in lookup replies; the listen address when empty
    int port = 8090;         // lookup, chat and audience page; 0 picks a free port
    int plainPort = -1;      // a second chat listener without compression; -1 none, 0 a free port
    double rate = 3.0;       // lines per second in each lively room
    bool faultLookups = false;
    int slowLookupMs = 5000;
    bool refuseAll = false;
    int closeAfter = 0;  // close lively rooms' connections after this many messages; 0 never
    std::string portsFile;
    std::uint32_t seed = 0;
    bool help = false;
    bool version = false;
};

// False with `error` set when an argument is unknown or malformed.
bool ParseDemoOptions(int argc, char** argv, DemoOptions& options, std::string& error);
std::string DemoUsage();

}  // namespace zandrel::demo
