#include "EscapeDecoding.h"

#include <optional>

#include "TextCodec.h"

namespace zandrel {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The code unit of a "\uXXXX" escape starting at `pos`, if there is a well-formed one.
std::optional<char32_t> escapeAt(std::string_view s, std::size_t pos)
{
    if (pos + 6 > s.size() || s[pos] != '\\' || s[pos + 1] != 'u')
        return std::nullopt;
    char32_t unit = 0;
    for (std::size_t i = pos + 2; i < pos + 6; ++i) {
        const int digit = hexValue(s[i]);
        if (digit < 0)
            return std::nullopt;
        unit = unit * 16 + static_cast<char32_t>(digit);
    }
    return unit;
}

void appendForReader(std::string& out, char32_t codePoint)
{
    std::string bytes;
    AppendCodePoint(bytes, codePoint);
    for (const char b : bytes) {
        if (b == '\\' || b == '"')
            out.push_back('\\');
        out.push_back(b);
    }
}

}  // namespace

std::string RewriteUnicodeEscapes(std::string_view s)
{
    enum class Where { Outside, InString, LineComment, BlockComment };
    Where where = Where::Outside;
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        switch (where) {
        case Where::Outside:
            if (c == '"')
                where = Where::InString;
            else if (c == '/' && next == '/')
                where = Where::LineComment;
            else if (c == '/' && next == '*') {
                out.append("/*");
                i += 2;
                where = Where::BlockComment;
                continue;
            }
            break;
        case Where::LineComment:
            if (c == '\n' || c == '\r')
                where = Where::Outside;
            break;
        case Where::BlockComment:
            if (c == '*' && next == '/') {
                out.append("*/");
                i += 2;
                where = Where::Outside;
                continue;
            }
            break;
        case Where::InString:
            if (c == '"') {
                where = Where::Outside;
            } else if (c == '\\') {
                const std::optional<char32_t> unit = escapeAt(s, i);
                if (!unit || *unit < 0x80) {
                    // Any other escape, a short one or a plain ASCII one: the reader's business.
                    out.push_back(c);
                    if (i + 1 < s.size())
                        out.push_back(next);
                    i += 2;
                    continue;
                }
                char32_t codePoint = *unit;
                std::size_t used = 6;
                if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
                    const std::optional<char32_t> low = escapeAt(s, i + 6);
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                        codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (*low - 0xDC00);
                        used = 12;
                    } else {
                        codePoint = 0xFFFD;
                    }
                } else if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
                    codePoint = 0xFFFD;
                }
                appendForReader(out, codePoint);
                i += used;
                continue;
            }
            break;
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

}  // namespace zandrel
