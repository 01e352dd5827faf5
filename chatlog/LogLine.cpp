#include "chatlog/LogLine.h"

#include <cstdio>

#include "base/Unicode.h"

namespace zandrel {
namespace {

// `text` in UTF-8 on one line of the file.
void appendField(std::string& out, const std::u16string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (IsHighSurrogate(cp) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            cp = JoinSurrogates(cp, text[++i]);
        } else if (IsSurrogate(cp)) {
            cp = 0xFFFD;
        } else if (cp == u'\n' || cp == u'\r' || cp == u'\t' || cp == 0x2028 || cp == 0x2029) {
            cp = u' ';
        }
        AppendUtf8(out, cp);
    }
}

std::tm localTime(std::time_t at)
{
    std::tm local{};
    localtime_r(&at, &local);
    return local;
}

}  // namespace

std::string FormatLogLine(const LogLine& line)
{
    const std::tm local = localTime(line.at);
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d\t", local.tm_hour, local.tm_min, local.tm_sec);
    std::string out = time;
    appendField(out, line.name);
    out += '\t';
    if (line.gift)
        out += "[\xE7\xA4\xBC\xE7\x89\xA9] ";  // [礼物]
    appendField(out, line.text);
    if (line.count > 1)
        out += " \xC3\x97" + std::to_string(line.count);  // " ×12", as the overlay shows it
    out += '\n';
    return out;
}

std::string LogFileName(int room, std::time_t at)
{
    const std::tm local = localTime(at);
    char name[64];
    std::snprintf(name, sizeof name, "room-%d-%04d-%02d-%02d.txt", room, local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return name;
}

}  // namespace zandrel
