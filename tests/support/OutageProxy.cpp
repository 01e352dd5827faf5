#include "support/OutageProxy.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <json/json.h>

extern char** environ;

namespace zandrel::test {
namespace {

const char* modeName(COutageProxy::Mode mode)
{
    switch (mode) {
    case COutageProxy::Mode::Pass:
        return "pass";
    case COutageProxy::Mode::Stall:
        return "stall";
    case COutageProxy::Mode::Refuse:
        return "refuse";
    }
    return "pass";
}

std::string temporaryLogFile()
{
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/outage-proxy-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0)
        throw std::runtime_error("cannot create the proxy's log file");
    close(fd);
    return path;
}

}  // namespace

COutageProxy::COutageProxy(int targetPort) : m_logFile(temporaryLogFile())
{
    std::signal(SIGPIPE, SIG_IGN);  // a proxy that has died makes a command fail, not the test program
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot make the proxy's pipes");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const std::string port = std::to_string(targetPort);
    const char* argv[] = {ZANDREL_NODE, ZANDREL_OUTAGE_PROXY, "--target", port.c_str(),
                          "--log",      m_logFile.c_str(),    nullptr};
    const int spawned = posix_spawn(&m_pid, ZANDREL_NODE, &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_toProxy = in[1];
    m_fromProxy = out[0];
    if (spawned != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start the proxy");
    }
    const std::string first = ReadLine(10000);
    if (first.rfind("port=", 0) != 0)
        throw std::runtime_error("the proxy did not start: " + first);
    m_port = std::stoi(first.substr(5));
}

COutageProxy::~COutageProxy()
{
    if (m_toProxy >= 0)
        close(m_toProxy);  // the proxy ends when its input does
    if (m_pid > 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        int status = 0;
        while (waitpid(m_pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    if (m_fromProxy >= 0)
        close(m_fromProxy);
    unlink(m_logFile.c_str());
}

std::string COutageProxy::ReadLine(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const auto end = m_pending.find('\n'); end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return {};
        pollfd readable{m_fromProxy, POLLIN, 0};
        if (poll(&readable, 1, static_cast<int>(left.count())) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = read(m_fromProxy, buffer, sizeof buffer);
        if (got <= 0)
            return {};  // the proxy has gone
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

void COutageProxy::SetMode(Mode mode)
{
    const std::string command = std::string(modeName(mode)) + "\n";
    if (write(m_toProxy, command.data(), command.size()) != static_cast<ssize_t>(command.size()))
        throw std::runtime_error("the proxy does not take commands");
    const std::string answer = ReadLine(10000);
    if (answer != std::string("ok ") + modeName(mode))
        throw std::runtime_error("the proxy did not switch to " + std::string(modeName(mode)) + ": " + answer);
}

std::vector<std::string> COutageProxy::ForwardedTexts() const
{
    std::ifstream log(m_logFile);
    const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    std::vector<std::string> texts;
    std::string line;
    while (std::getline(log, line)) {
        Json::Value entry;
        if (reader->parse(line.data(), line.data() + line.size(), &entry, nullptr) && entry.isObject() &&
            entry["text"].isString())
            texts.push_back(entry["text"].asString());
    }
    return texts;
}

}  // namespace zandrel::test
