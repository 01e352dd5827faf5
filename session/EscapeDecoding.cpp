#include "session/EscapeDecoding.h"

#include <algorithm>
#include <optional>

#include "base/TextCodec.h"
#include "base/Unicode.h"

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

// Where the string whose contents start at `begin` ends: its closing quote, or the end of the text.
std::size_t stringEnd(std::string_view s, std::size_t begin)
{
    std::size_t i = begin;
    while (i < s.size() && s[i] != '"')
        i += s[i] == '\\' ? 2 : 1;
    return std::min(i, s.size());
}

// Whether every unescaped byte above 0x7F in the string's contents belongs to well-formed UTF-8.
bool rawBytesAreUtf8(std::string_view contents)
{
    std::size_t i = 0;
    while (i < contents.size()) {
        char32_t unused = 0;
        if (contents[i] == '\\')
            i += 2;
        else if (const std::size_t length = Utf8SequenceAt(contents, i, unused))
            i += length;
        else
            return false;
    }
    return true;
}

// The GB18030 bytes of `codePoints`, with each byte that the reader would take for syntax (a
// backslash trail byte) written as its escape.
void flushForReader(std::string& out, std::u32string& codePoints)
{
    if (codePoints.empty())
        return;
    std::string bytes;
    AppendCodePoints(bytes, codePoints);
    codePoints.clear();
    for (const char b : bytes) {
        if (b == '\\' || b == '"')
            out.push_back('\\');
        out.push_back(b);
    }
}

// Rewrites the contents of one string, from `begin` to its closing quote (not included), and
// returns where that quote is.
std::size_t rewriteString(std::string_view s, std::size_t begin, std::string& out)
{
    const std::size_t end = stringEnd(s, begin);
    const std::string_view contents = s.substr(begin, end - begin);
    const bool rawUtf8 = rawBytesAreUtf8(contents);
    std::u32string pending;  // code points waiting to be converted in one run
    std::size_t i = 0;
    while (i < contents.size()) {
        const char c = contents[i];
        if (c == '\\') {
            const std::optional<char32_t> unit = escapeAt(contents, i);
            if (!unit || *unit < 0x80) {
                // Any other escape, a short one or a plain ASCII one: the reader's business.
                flushForReader(out, pending);
                out.append(contents.substr(i, 2));
                i += 2;
                continue;
            }
            char32_t codePoint = *unit;
            std::size_t used = 6;
            if (IsHighSurrogate(codePoint)) {
                const std::optional<char32_t> low = escapeAt(contents, i + 6);
                if (low && IsLowSurrogate(*low)) {
                    codePoint = JoinSurrogates(codePoint, *low);
                    used = 12;
                } else {
                    codePoint = 0xFFFD;
                }
            } else if (IsLowSurrogate(codePoint)) {
                codePoint = 0xFFFD;
            }
            pending.push_back(codePoint);
            i += used;
            continue;
        }
        if (rawUtf8 && static_cast<unsigned char>(c) >= 0x80) {
            char32_t codePoint = 0;
            i += Utf8SequenceAt(contents, i, codePoint);
            pending.push_back(codePoint);
            continue;
        }
        flushForReader(out, pending);
        out.push_back(c);
        ++i;
    }
    flushForReader(out, pending);
    return end;
}

}  // namespace

std::string RewriteUnicodeEscapes(std::string_view s)
{
    enum class Where { Outside, LineComment, BlockComment };
    Where where = Where::Outside;
    std::string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        switch (where) {
        case Where::Outside:
            if (c == '"') {
                out.push_back(c);
                i = rewriteString(s, i + 1, out);
                if (i < s.size())
                    out.push_back(s[i++]);  // the closing quote
                continue;
            }
            if (c == '/' && next == '/')
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
        }
        out.push_back(c);
        ++i;
    }
    return out;
}

}  // namespace zandrel
