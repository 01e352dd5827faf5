#pragma once

// Code points in UTF-8 and UTF-16: well-formed UTF-8 sequences, the halves of surrogate pairs, and
// the UTF-8 form of a code point.

#include <cstddef>
#include <string>
#include <string_view>

namespace zandrel {

constexpr bool IsHighSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
constexpr bool IsLowSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The code point of a high and a low surrogate.
constexpr char32_t JoinSurrogates(char32_t high, char32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}
// The surrogates of a code point above U+FFFF.
constexpr char16_t HighSurrogateOf(char32_t codePoint)
{
    return static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
}
constexpr char16_t LowSurrogateOf(char32_t codePoint)
{
    return static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
}

// The length of the well-formed UTF-8 sequence at `pos` of `s`, with its code point in
// `codePoint`: 1 to 4, or 0 when there is none (a stray or missing continuation byte, an overlong
// form, a surrogate, anything above U+10FFFF, a sequence cut off by the end).
constexpr std::size_t Utf8SequenceAt(std::string_view s, std::size_t pos, char32_t& codePoint)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(pos);
    std::size_t length = 0;
    unsigned char low = 0x80;   // the second byte's range, which rules out overlong forms,
    unsigned char high = 0xBF;  // surrogates and what lies beyond U+10FFFF
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (pos + length > s.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(pos + i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
            return 0;
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    return length;
}

// Appends the UTF-8 form of `codePoint` (at most U+10FFFF, no surrogate) to `out`.
inline void AppendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

}  // namespace zandrel
