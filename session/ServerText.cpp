#include "session/ServerText.h"

#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <json/json.h>
#include <libwebsockets.h>

#include "base/LogText.h"
#include "session/BarrageMessage.h"
#include "session/EscapeDecoding.h"
#include "session/ProtocolTexts.h"
#include "session/SessionSink.h"

namespace zandrel {
namespace {

// A member as the protocol sees it: absent (missing, null, empty array or object), a text (a string,
// or "true"/"false" for a boolean), or present with a type that carries no text.
struct Member {
    enum class Kind { Absent, Text, WrongType } kind = Kind::Absent;
    std::string text;

    bool IsText() const { return kind == Kind::Text; }
};

// Json::Value::find throws on anything but an object or null, so check first.
const Json::Value* findMember(const Json::Value& object, std::string_view key)
{
    return object.isObject() ? object.find(key.data(), key.data() + key.size()) : nullptr;
}

Member memberOf(const Json::Value& object, std::string_view key)
{
    Member member;
    const Json::Value* value = findMember(object, key);
    if (!value || value->isNull() || ((value->isArray() || value->isObject()) && value->empty()))
        return member;
    if (value->isString()) {
        member.kind = Member::Kind::Text;
        member.text = value->asString();
    } else if (value->isBool()) {
        member.kind = Member::Kind::Text;
        member.text = value->asBool() ? "true" : "false";
    } else {
        member.kind = Member::Kind::WrongType;
    }
    return member;
}

}  // namespace

std::optional<Json::Value> ParseServerJson(std::string_view text)
{
    // The classic reader's default features: comments allowed, any value at the top level, trailing
    // text ignored; no trailing commas and no byte-order mark, which the newer reader would let in.
    thread_local const std::unique_ptr<Json::CharReader> reader = [] {
        Json::CharReaderBuilder builder;
        builder["allowComments"] = true;
        builder["strictRoot"] = false;
        builder["failIfExtra"] = false;
        builder["collectComments"] = false;
        builder["allowTrailingCommas"] = false;
        builder["skipBom"] = false;
        return std::unique_ptr<Json::CharReader>(builder.newCharReader());
    }();
    Json::Value root;
    try {
        const std::string rewritten = RewriteUnicodeEscapes(text);
        if (!reader->parse(rewritten.data(), rewritten.data() + rewritten.size(), &root, nullptr))
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;  // nesting beyond the reader's limit, or the codec failing
    }
    return root;
}

namespace {

void takeUser(const Json::Value& root, BarrageMessage& record)
{
    const Json::Value* user = findMember(root, "user");
    if (!user || !user->isObject())
        return;
    if (Member name = memberOf(*user, "name"); name.IsText())
        record.SetName(std::move(name.text));
    if (Member uid = memberOf(*user, "uid"); uid.IsText())
        record.SetUid(std::move(uid.text));
}

// A message's text: its bytes up to the first NUL, if there is one.
std::string_view textOf(const char* data, std::size_t length)
{
    const void* nul = std::memchr(data, '\0', length);
    return {data, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - data) : length};
}

void logLine(const std::string& name, const std::string& text)
{
    const std::string line = LogTextFromAnsi(name + ":" + text);
    lwsl_notice("%s\n", line.c_str());
}

}  // namespace

ServerMessage ParseServerText(const char* data, std::size_t length)
{
    ServerMessage message;
    const std::optional<Json::Value> parsed = ParseServerJson(textOf(data, length));
    if (!parsed || !parsed->isObject() || parsed->empty())
        return message;
    const Json::Value& root = *parsed;

    Member cmd = memberOf(root, "cmd");
    if (!cmd.IsText())
        return message;
    BarrageMessage& record = message.line;
    record.SetCmd(cmd.text);

    if (const Member amount = memberOf(root, "amount"); amount.IsText() && amount.text == "1") {
        takeUser(root, record);
        record.SetText(texts::kGiftText);
        message.event = ServerEvent::Line;
        message.gift = true;
        record.m_kind = LineKind::Gift;
        return message;
    }
    if (cmd.text == "ack") {
        record.SetName(texts::kSystemInfo);
        record.SetText(texts::kJoinSuccess);
        record.m_kind = LineKind::Own;
        message.event = ServerEvent::Joined;
        return message;
    }
    if (cmd.text == "rej") {
        message.line = {};
        message.event = ServerEvent::Refused;
        return message;
    }
    Member chat = memberOf(root, "data");
    if (!chat.IsText() || cmd.text != "cst") {
        message.line = {};
        return message;
    }
    record.SetText(std::move(chat.text));
    takeUser(root, record);
    message.event = ServerEvent::Line;
    return message;
}

ServerEvent HandleServerText(const char* data, std::size_t length, ISessionSink& sink)
{
    if (lwsl_visible(LLL_NOTICE))
        lwsl_notice("data %s\n", LogTextFromUtf8(textOf(data, length)).c_str());
    ServerMessage message = ParseServerText(data, length);
    switch (message.event) {
    case ServerEvent::Line:
        logLine(message.line.m_strName, message.gift ? std::string() : message.line.m_strText);
        sink.ToOverlay({OverlayCommand::Kind::Line, std::move(message.line)});
        break;
    case ServerEvent::Joined:
        lwsl_notice("-- join success --\n");
        sink.ToOverlay({OverlayCommand::Kind::Line, std::move(message.line)});
        sink.ToOverlay({OverlayCommand::Kind::Show, {}});
        sink.ToOverlay({OverlayCommand::Kind::Raise, {}});
        break;
    case ServerEvent::Refused:
    case ServerEvent::None:
        break;
    }
    return message.event;
}

}  // namespace zandrel
