#pragma once

#include <string>
#include <string_view>

namespace zandrel {

// Server text made safe for a log line: each control character (below 0x20, and DEL) is written as
// \xNN, so that a server can neither forge log lines nor send terminal escapes. Every other byte,
// the program's code page included, stays as it is.
std::string EscapeControlCharacters(std::string_view text);

}  // namespace zandrel
