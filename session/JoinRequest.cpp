#include "session/JoinRequest.h"

#include <cstdio>
#include <ctime>
#include <random>

#include <json/json.h>

#include "base/Md5.h"

#if defined(__linux__)
#include <sys/random.h>
#endif

namespace zandrel {
namespace {

std::array<unsigned char, 16> randomBits()
{
    std::array<unsigned char, 16> bits{};
#if defined(__linux__)
    std::size_t filled = 0;
    while (filled < bits.size()) {
        const ssize_t n = getrandom(bits.data() + filled, bits.size() - filled, 0);
        if (n <= 0)
            break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled == bits.size())
        return bits;
#endif
    std::random_device device;  // the platform's random source elsewhere, and the fallback here
    for (std::size_t i = 0; i < bits.size(); i += 4) {
        const auto word = device();
        for (std::size_t j = 0; j < 4; ++j)
            bits[i + j] = static_cast<unsigned char>(word >> (8 * j));
    }
    return bits;
}

}  // namespace

std::string FormatUid(const std::array<unsigned char, 16>& b)
{
    const unsigned data1 = b[0] | (b[1] << 8) | (b[2] << 16) | (unsigned{b[3]} << 24);
    const unsigned data2 = b[4] | (b[5] << 8);
    const unsigned data3 = b[6] | (b[7] << 8);
    char text[37];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", data1, data2, data3, b[8],
                  b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

std::string NewUid() { return FormatUid(randomBits()); }

std::int32_t CurrentTimestamp()
{
    const auto now = static_cast<std::uint64_t>(std::time(nullptr));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(now & 0xFFFFFFFFu));
}

std::string BuildJoinRequest(std::int32_t room, std::string_view uid, std::int32_t timestamp)
{
    const std::string name = "live" + std::to_string(room);
    const std::string checksum = Md5Hex(std::string(uid) + std::to_string(timestamp) + std::string(kJoinSalt));

    Json::Value request(Json::objectValue);
    request["cmd"] = "JOIN";
    request["uid"] = std::string(uid);
    request["name"] = name;
    request["group"] = name + "_0";
    request["checksum"] = checksum;
    request["timestamp"] = timestamp;

    // The peer expects the classic styled form: three-space indent and a final line feed. The
    // builder gives the indent; it ends without the line feed.
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "   ";
    writer["emitUTF8"] = true;
    return Json::writeString(writer, request) + "\n";
}

}  // namespace zandrel
