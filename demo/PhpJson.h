#pragma once

#include <string>
#include <string_view>

namespace zandrel::demo {

// A JSON string literal (with its quotes) for UTF-8 text, escaped the way a typical PHP server's
// json_encode does it: every non-ASCII character as \uXXXX (lowercase hex, surrogate pairs above
// the BMP), '/' as "\/", and the usual escapes for quotes, backslashes and control characters.
// Bytes that are not valid UTF-8 become \ufffd.
std::string PhpJsonString(std::string_view utf8);

}  // namespace zandrel::demo
