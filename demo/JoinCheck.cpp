#include "demo/JoinCheck.h"

#include <charconv>
#include <exception>
#include <memory>

#include <json/json.h>

#include "base/Md5.h"
#include "session/JoinRequest.h"

namespace zandrel::demo {
namespace {

const Json::Value* member(const Json::Value& root, std::string_view key)
{
    return root.find(key.data(), key.data() + key.size());
}

bool stringMember(const Json::Value& root, std::string_view key, std::string& out)
{
    const Json::Value* value = member(root, key);
    if (!value || !value->isString())
        return false;
    out = value->asString();
    return true;
}

bool roomOf(const std::string& name, int& room)
{
    if (name.rfind("live", 0) != 0 || name.size() == 4)
        return false;
    const char* begin = name.data() + 4;
    const char* end = name.data() + name.size();
    const auto [last, error] = std::from_chars(begin, end, room);
    return error == std::errc() && last == end;
}

}  // namespace

bool CheckJoinRequest(std::string_view text, std::int32_t now, int toleranceSeconds, int& room, std::string& reason)
{
    Json::Value root;
    try {
        Json::CharReaderBuilder builder;
        builder["failIfExtra"] = true;
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            reason = "not JSON";
            return false;
        }
    } catch (const std::exception&) {
        reason = "not JSON";
        return false;
    }
    if (!root.isObject()) {
        reason = "not an object";
        return false;
    }
    std::string cmd, uid, name, group, checksum;
    if (!stringMember(root, "cmd", cmd) || cmd != "JOIN") {
        reason = "cmd is not JOIN";
        return false;
    }
    if (!stringMember(root, "uid", uid) || uid.size() != 36) {
        reason = "bad uid";
        return false;
    }
    if (!stringMember(root, "name", name) || !roomOf(name, room)) {
        reason = "bad name";
        return false;
    }
    if (!stringMember(root, "group", group) || group != name + "_0") {
        reason = "bad group";
        return false;
    }
    const Json::Value* stamp = member(root, "timestamp");
    if (!stamp || !stamp->isInt()) {
        reason = "bad timestamp";
        return false;
    }
    const std::int32_t timestamp = stamp->asInt();
    // Both clocks are cut to 32 bits: compare them the way they wrap.
    const auto skew =
        static_cast<std::int32_t>(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(timestamp));
    if (skew > toleranceSeconds || skew < -toleranceSeconds) {
        reason = "timestamp too far from the server's clock";
        return false;
    }
    if (!stringMember(root, "checksum", checksum) ||
        checksum != Md5Hex(uid + std::to_string(timestamp) + std::string(kJoinSalt))) {
        reason = "bad checksum";
        return false;
    }
    return true;
}

}  // namespace zandrel::demo
