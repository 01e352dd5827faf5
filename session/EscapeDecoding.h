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
// - unescaped bytes above 0x7F in a string whose unescaped bytes are all well-formed UTF-8 (as
//   RFC 6455 makes every text frame) become the same GB18030 bytes as the escapes of their
//   characters; in any other string they are copied as they stand (a GBK server's text).
// Everything else is copied as it stands.
std::string RewriteUnicodeEscapes(std::string_view json);

}  // namespace zandrel
