#pragma once

#include <string>
#include <string_view>

namespace zandrel {

// Server text made safe for a log line: each control character (below 0x20, and DEL) is written as
// \xNN, so that a server can neither forge log lines nor send terminal escapes. Every other byte,
// the program's code page included, stays as it is.
std::string EscapeControlCharacters(std::string_view text);

// The character sets a log line can be written in.
enum class LogCharset {
    Utf8,
    Gb18030,
    Ascii,  // anything else: what is not ASCII is written as \u{...}
};
// The terminal's, as the locale (LC_CTYPE) names it; UTF-8 where the locale is the plain C one,
// which names no terminal.
LogCharset LogCharsetOfLocale();

// Text for a log line, in `charset`, made as safe as EscapeControlCharacters makes it; C1 controls
// (U+0080 to U+009F, which some terminals take for escapes) are written as \u{NN} too.
// - LogTextFromAnsi: the program's byte strings (GB18030); bytes that are no character become U+FFFD.
// - LogTextFromUtf8: a server's frames (UTF-8); bytes that are no character are written as \xNN.
std::string LogTextFromAnsi(std::string_view bytes, LogCharset charset = LogCharsetOfLocale());
std::string LogTextFromUtf8(std::string_view bytes, LogCharset charset = LogCharsetOfLocale());

}  // namespace zandrel
