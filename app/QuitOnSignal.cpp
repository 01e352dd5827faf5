#include "app/QuitOnSignal.h"

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zandrel {
namespace {

int g_signalPipe[2] = {-1, -1};  // written by the handler, read on the UI thread
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

void onSignal(int number)
{
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

}  // namespace

CQuitOnSignal::CQuitOnSignal(std::function<void()> quit) : m_quit(std::move(quit))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) {
        std::perror("zandrel: no pipe for signals");
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] {
        char bytes[16];
        while (::read(g_signalPipe[0], bytes, sizeof bytes) > 0) {}
        if (m_quit)
            m_quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        sigaction(number, &action, nullptr);
}

CQuitOnSignal::~CQuitOnSignal()
{
    // The default again before the pipe goes: a late signal ends the process as it would have.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (const int number : kSignals)
        sigaction(number, &action, nullptr);
    m_notifier.reset();
    for (int& fd : g_signalPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

}  // namespace zandrel
