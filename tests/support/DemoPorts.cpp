#include "DemoPorts.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <arpa/inet.h>
#include <iconv.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zandrel::test {

int DemoPort(const std::string& listener)
{
    const char* state = std::getenv("ZANDREL_DEMO_STATE");
    if (!state)
        throw std::runtime_error("ZANDREL_DEMO_STATE is not set: run this test through CTest");
    std::ifstream ports(std::string(state) + "/ports");
    std::string line;
    while (std::getline(ports, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos && line.substr(0, equals) == listener)
            return std::stoi(line.substr(equals + 1));
    }
    throw std::runtime_error("the demo service has no listener " + listener);
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
