#pragma once

// Conversions between the program's byte strings (GB18030, which holds every GBK character with the
// same bytes) and wide UTF-16 text, on iconv.
//
// Replacement rules, the same in every direction:
// - AnsiToWide: each byte that cannot start or continue a valid GB18030 sequence becomes one U+FFFD,
//   and decoding goes on with the next byte; an incomplete sequence at the end becomes one U+FFFD.
// - WideToAnsi and AppendCodePoints: a lone surrogate, a code point above U+10FFFF, or one of the few
//   private-use code points that the platform's GB18030 table leaves without a form, becomes the
//   GB18030 form of U+FFFD (84 31 A4 37).

#include <string>
#include <string_view>

namespace zandrel {

inline constexpr char16_t kReplacementChar = u'\uFFFD';

std::u16string AnsiToWide(std::string_view bytes);
std::string WideToAnsi(std::u16string_view text);
// Appends the GB18030 bytes of code points to `out`, by the replacement rules above.
void AppendCodePoints(std::string& out, std::u32string_view codePoints);

}  // namespace zandrel
