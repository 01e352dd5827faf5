#include "demo/DemoOptions.h"

#include <charconv>
#include <random>
#include <string_view>

#include "demo/LookupFaults.h"
#include "demo/RoomModes.h"

namespace zandrel::demo {
namespace {

template <typename T> bool parseNumber(std::string_view text, T& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool ParseDemoOptions(int argc, char** argv, DemoOptions& options, std::string& error)
{
    options.seed = std::random_device{}();
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const auto value = [&](std::string_view& out) {
            if (i + 1 >= argc) {
                error = std::string(arg) + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string_view v;
        bool ok = true;
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--listen") {
            ok = value(v);
            options.listenAddress = v;
        } else if (arg == "--public-host") {
            ok = value(v);
            options.publicHost = v;
        } else if (arg == "--port") {
            ok = value(v) && parseNumber(v, options.port) && options.port >= 0 && options.port <= 65535;
        } else if (arg == "--plain-port") {
            ok = value(v) && parseNumber(v, options.plainPort) && options.plainPort >= 0 && options.plainPort <= 65535;
        } else if (arg == "--rate") {
            ok = value(v) && parseNumber(v, options.rate) && options.rate > 0 && options.rate <= 10000;
        } else if (arg == "--fault-lookups") {
            options.faultLookups = true;
        } else if (arg == "--slow-lookup-ms") {
            ok = value(v) && parseNumber(v, options.slowLookupMs) && options.slowLookupMs >= 0;
        } else if (arg == "--refuse-all") {
            options.refuseAll = true;
        } else if (arg == "--close-after") {
            ok = value(v) && parseNumber(v, options.closeAfter) && options.closeAfter >= 0;
        } else if (arg == "--ports-file") {
            ok = value(v);
            options.portsFile = v;
        } else if (arg == "--seed") {
            ok = value(v) && parseNumber(v, options.seed);
        } else {
            error = "unknown argument: " + std::string(arg);
            return false;
        }
        if (!ok) {
            if (error.empty())
                error = "bad value for " + std::string(arg) + ": " + std::string(v);
            return false;
        }
    }
    if (options.publicHost.empty())
        options.publicHost = options.listenAddress;
    return true;
}

std::string DemoUsage()
{
    return "Usage: zandrel-demo [options]\n"
           "A demo chat service for Zandrel: the chat-server lookup, a WebSocket chat server and an\n"
           "audience page, all in one process on loopback. Stop it with Ctrl+C.\n\n"
           "Options:\n"
           "  --listen ADDR        address to listen on (default 127.0.0.1)\n"
           "  --public-host HOST   host named in lookup replies (default: the listen address)\n"
           "  --port N             port of the lookup, the chat server and the page (default 8090,\n"
           "                       0 picks a free one)\n"
           "  --plain-port N       also serve chat without compression on port N (0: a free one)\n"
           "  --rate R             lines per second in each lively room (default 3)\n"
           "  --close-after N      close lively rooms' connections after N messages\n"
           "  --refuse-all         answer every join with \"rej\"\n"
           "  --fault-lookups      open one lookup listener per fault mode (see below)\n"
           "  --slow-lookup-ms MS  delay of the slow lookup (default 5000)\n"
           "  --ports-file FILE    write name=port lines for every listener to FILE\n"
           "  --seed N             seed of the lively rooms' chatter\n"
           "  --help               this text\n"
           "  --version            the version of zandrel-demo\n\n" +
           RoomModesHelp() + "\n" + LookupFaultsHelp();
}

}  // namespace zandrel::demo
