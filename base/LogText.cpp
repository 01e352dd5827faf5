#include "base/LogText.h"

#include <langinfo.h>

#include <cstdio>
#include <string_view>

#include "base/TextCodec.h"
#include "base/Unicode.h"

namespace zandrel {
namespace {

constexpr char kHex[] = "0123456789abcdef";

void appendByteEscape(std::string& out, unsigned char byte)
{
    out += "\\x";
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
}

void appendCodePointEscape(std::string& out, char32_t codePoint)
{
    char escape[16];
    std::snprintf(escape, sizeof escape, "\\u{%x}", static_cast<unsigned>(codePoint));
    out += escape;
}

// One character of a log line, escaped where a terminal would act on it.
void appendCharacter(std::string& out, char32_t c, LogCharset charset)
{
    if (c < 0x20 || c == 0x7F)
        appendByteEscape(out, static_cast<unsigned char>(c));
    else if (c < 0x80)
        out += static_cast<char>(c);
    else if (c <= 0x9F || charset == LogCharset::Ascii)
        appendCodePointEscape(out, c);
    else if (charset == LogCharset::Utf8)
        AppendUtf8(out, c);
    else
        AppendCodePoints(out, std::u32string_view(&c, 1));
}

}  // namespace

std::string EscapeControlCharacters(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            appendByteEscape(out, byte);
        else
            out += c;
    }
    return out;
}

LogCharset LogCharsetOfLocale()
{
    const std::string_view codeset = nl_langinfo(CODESET);
    if (codeset == "GB18030" || codeset == "GBK" || codeset == "GB2312")
        return LogCharset::Gb18030;  // GB2312 and GBK are subsets: a terminal in them shows what they hold
    if (codeset == "UTF-8" || codeset == "ANSI_X3.4-1968" || codeset.empty())
        return LogCharset::Utf8;
    return LogCharset::Ascii;
}

std::string LogTextFromAnsi(std::string_view bytes, LogCharset charset)
{
    if (charset == LogCharset::Gb18030)
        return EscapeControlCharacters(bytes);  // already the terminal's; C1 has no single bytes there
    const std::u16string wide = AnsiToWide(bytes);
    std::string out;
    out.reserve(bytes.size() * 3 / 2);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char32_t c = wide[i];
        // AnsiToWide gives whole pairs only.
        if (IsHighSurrogate(c) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1]))
            c = JoinSurrogates(c, wide[++i]);
        appendCharacter(out, c, charset);
    }
    return out;
}

std::string LogTextFromUtf8(std::string_view bytes, LogCharset charset)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t pos = 0; pos < bytes.size();) {
        char32_t c = 0;
        const std::size_t length = Utf8SequenceAt(bytes, pos, c);
        if (length == 0) {
            appendByteEscape(out, static_cast<unsigned char>(bytes[pos]));
            ++pos;
            continue;
        }
        appendCharacter(out, c, charset);
        pos += length;
    }
    return out;
}

}  // namespace zandrel
