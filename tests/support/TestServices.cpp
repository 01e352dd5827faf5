#include "support/TestServices.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <thread>

#include <arpa/inet.h>
#include <iconv.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <json/json.h>

namespace zandrel::test {

namespace {

// Where the CTest fixture keeps the state of the service `name` (its ports file, its log).
std::string stateDirectory(const char* name)
{
    const char* services = std::getenv("ZANDREL_TEST_SERVICES");
    if (!services)
        throw std::runtime_error("ZANDREL_TEST_SERVICES is not set: run this test through CTest");
    return std::string(services) + "/" + name + "-service";
}

int servicePort(const char* name, const std::string& listener)
{
    std::ifstream ports(stateDirectory(name) + "/ports");
    std::string line;
    while (std::getline(ports, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos && line.substr(0, equals) == listener)
            return std::stoi(line.substr(equals + 1));
    }
    throw std::runtime_error(std::string("the ") + name + " service has no listener " + listener);
}

}  // namespace

int DemoPort(const std::string& listener) { return servicePort("demo", listener); }

int ScriptedServerPort(const std::string& listener) { return servicePort("ws", listener); }

int ScriptedServerAccepted(const std::string& listener)
{
    std::ifstream file(stateDirectory("ws") + "/" + listener + ".accepted");
    int count = 0;
    file >> count;
    return count;
}

bool WaitForScriptedServerAccepted(const std::string& listener, int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (ScriptedServerAccepted(listener) <= count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The entries of one of the scripted server's JSON-lines logs that belong to `room`.
template <typename Entry, typename Read> std::vector<Entry> scriptedServerLog(const char* file, int room, Read read)
{
    std::ifstream log(stateDirectory("ws") + "/" + file);
    const std::unique_ptr<Json::CharReader> reader(Json::CharReaderBuilder().newCharReader());
    std::vector<Entry> entries;
    std::string line;
    while (std::getline(log, line)) {
        Json::Value entry;
        // A line the server is still writing does not parse yet; the next read will have it.
        if (!reader->parse(line.data(), line.data() + line.size(), &entry, nullptr) || !entry.isObject() ||
            !entry["room"].isInt() || entry["room"].asInt() != room)
            continue;
        entries.push_back(read(entry));
    }
    return entries;
}

std::vector<ReceivedJoin> ScriptedServerJoins(int room)
{
    return scriptedServerLog<ReceivedJoin>("joins.jsonl", room, [](const Json::Value& entry) {
        return ReceivedJoin{entry["room"].asInt(),          entry["text"].asString(),
                            entry["valid"].asBool(),        entry["reason"].asString(),
                            entry["extensions"].asString(), entry["t"].asInt64(),
                            entry["connection"].asInt(),    entry["seq"].asInt()};
    });
}

std::vector<ReceivedPing> ScriptedServerPings(int room)
{
    return scriptedServerLog<ReceivedPing>("pings.jsonl", room, [](const Json::Value& entry) {
        return ReceivedPing{entry["connection"].asInt(), entry["t"].asInt64()};
    });
}

int ClosedPort()
{
    // Bind a free port, then release it: nothing listens there for a good while after.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot find a free port");
    close(fd);
    return ntohs(address.sin_port);
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    iconv_t cd = iconv_open("GB18030", "UTF-8");
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    const std::size_t rc = iconv(cd, &in, &inLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (rc == static_cast<std::size_t>(-1))
        throw std::runtime_error("not UTF-8: " + utf8);
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace zandrel::test
