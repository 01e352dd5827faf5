// zandrel-demo: the embedded demo chat service.

#include <csignal>
#include <cstdio>
#include <string>

#include "demo/DemoOptions.h"
#include "demo/DemoServer.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

extern "C" void onSignal(int) { g_stop = 1; }

}  // namespace

int main(int argc, char** argv)
{
    using namespace zandrel::demo;
    DemoOptions options;
    std::string error;
    if (!ParseDemoOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "zandrel-demo: %s\n\n%s", error.c_str(), DemoUsage().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(DemoUsage().c_str(), stdout);
        return 0;
    }
    if (options.version) {
        std::puts("zandrel-demo " ZANDREL_VERSION);
        return 0;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    DemoServer server(options);
    if (!server.Start(error)) {
        std::fprintf(stderr, "zandrel-demo: %s\n", error.c_str());
        return 1;
    }
    for (const auto& [name, port] : server.Listeners()) {
        if (name == "main")
            std::printf("zandrel-demo: lookup, chat and audience page on http://%s:%d/\n",
                        options.listenAddress.c_str(), port);
        else
            std::printf("zandrel-demo: %s on port %d\n", name.c_str(), port);
    }
    std::fflush(stdout);

    server.Run(g_stop);
    std::printf("zandrel-demo: stopped\n");
    return 0;
}
