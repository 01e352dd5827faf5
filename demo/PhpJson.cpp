#include "demo/PhpJson.h"

#include <cstdio>

#include "base/Unicode.h"

namespace zandrel::demo {
namespace {

void appendUnit(std::string& out, unsigned unit)
{
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", unit & 0xFFFFu);
    out += escape;
}

// Decodes one UTF-8 sequence at `i`; returns U+FFFD and advances one byte on malformed input.
char32_t nextCodePoint(std::string_view s, std::size_t& i)
{
    char32_t cp = 0;
    const std::size_t length = Utf8SequenceAt(s, i, cp);
    i += length == 0 ? 1 : length;
    return length == 0 ? 0xFFFD : cp;
}

}  // namespace

std::string PhpJsonString(std::string_view utf8)
{
    std::string out = "\"";
    out.reserve(utf8.size() * 2 + 2);
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t cp = nextCodePoint(utf8, i);
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += "\\/";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (cp < 0x20) {
                appendUnit(out, cp);
            } else if (cp < 0x80) {
                out.push_back(static_cast<char>(cp));
            } else if (cp < 0x10000) {
                appendUnit(out, cp);
            } else {
                appendUnit(out, HighSurrogateOf(cp));
                appendUnit(out, LowSurrogateOf(cp));
            }
        }
    }
    out.push_back('"');
    return out;
}

}  // namespace zandrel::demo
