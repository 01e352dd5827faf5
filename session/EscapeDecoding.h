#pragma once

#include <string>
#include <string_view>

namespace zandrel {

// Rewrites the "\u" escapes inside the JSON strings of `json` to the program's own reading, before
// the JSON reader sees the text:
// - an escaped character below 0x80 is left to the reader, which gives its one byte;
// - a surrogate pair is joined first; a lone surrogate stands for U+FFFD;
// - every other escaped character becomes its GB18030 bytes. A byte of that form that the reader
//   would take for syntax (a backslash trail byte, for one) is written as its JSON escape.
// Everything else, unescaped bytes included, is copied as it stands.
std::string RewriteUnicodeEscapes(std::string_view json);

}  // namespace zandrel
