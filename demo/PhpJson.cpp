#include "demo/PhpJson.h"

#include <cstdio>

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
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(length) > s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000);
    if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return 0xFFFD;
    }
    i += static_cast<std::size_t>(length);
    return cp;
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
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (cp < 0x20) {
                appendUnit(out, cp);
            } else if (cp < 0x80) {
                out.push_back(static_cast<char>(cp));
            } else if (cp < 0x10000) {
                appendUnit(out, cp);
            } else {
                appendUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
                appendUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
        }
    }
    out.push_back('"');
    return out;
}

}  // namespace zandrel::demo
