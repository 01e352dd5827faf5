// Server text on its way into the log: control characters escaped, everything else kept.

#include <gtest/gtest.h>

#include <string>

#include "base/LogText.h"

namespace zandrel {
namespace {

struct EscapeCase {
    std::string text;
    std::string logged;
};

TEST(LogText, ControlCharactersAreEscapedAndNothingElse)
{
    const EscapeCase cases[] = {
        {std::string(1, '\0'), "\\x00"},
        {"\x1f", "\\x1f"},
        {"\x1b[31mred", "\\x1b[31mred"},     // a terminal escape
        {"one\ntwo\r", "one\\x0atwo\\x0d"},  // a forged log line
        {" ", " "},
        {"~", "~"},
        {"\x7f", "\\x7f"},
        {"\x80", "\x80"},
        {"\xD6\xD0\xCE\xC4", "\xD6\xD0\xCE\xC4"},  // the program's code page (中文)
        {"", ""},
    };
    for (const EscapeCase& c : cases) {
        SCOPED_TRACE(c.logged);
        EXPECT_EQ(EscapeControlCharacters(c.text), c.logged);
    }
}

struct CharsetCase {
    const char* what;
    std::string bytes;
    LogCharset charset;
    std::string logged;
};

// The program's GB18030 bytes reach the terminal in its own character set.
TEST(LogText, ProgramTextIsWrittenInTheTerminalsCharset)
{
    const CharsetCase cases[] = {
        {"Chinese to UTF-8", "\xD6\xD0\xCE\xC4", LogCharset::Utf8, "\xE4\xB8\xAD\xE6\x96\x87"},
        {"Chinese kept for a GB18030 terminal", "\xD6\xD0\xCE\xC4", LogCharset::Gb18030, "\xD6\xD0\xCE\xC4"},
        {"Chinese escaped for an ASCII terminal", "\xD6\xD0", LogCharset::Ascii, "\\u{4e2d}"},
        {"a four-byte GB18030 form (U+1F600)", "\x94\x39\xFC\x36", LogCharset::Utf8, "\xF0\x9F\x98\x80"},
        {"controls escaped", "a\nb\x1b[0m", LogCharset::Utf8, "a\\x0ab\\x1b[0m"},
        {"a byte that is no character", "a\xFF", LogCharset::Utf8, "a\xEF\xBF\xBD"},
        {"ASCII as it is", "uid=42", LogCharset::Ascii, "uid=42"},
    };
    for (const CharsetCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LogTextFromAnsi(c.bytes, c.charset), c.logged);
    }
}

// A server's frames are UTF-8: kept for a UTF-8 terminal, but a server cannot slip a terminal
// escape in as a C1 control or as bytes that are no UTF-8.
TEST(LogText, ServerFramesAreWrittenSafely)
{
    const CharsetCase cases[] = {
        {"Chinese", "\xE4\xB8\xAD", LogCharset::Utf8, "\xE4\xB8\xAD"},
        {"Chinese for a GB18030 terminal", "\xE4\xB8\xAD", LogCharset::Gb18030, "\xD6\xD0"},
        {"C1 CSI (U+009B)",
         "\xC2\x9B"
         "31m",
         LogCharset::Utf8, "\\u{9b}31m"},
        {"an ESC", "\x1b[2J", LogCharset::Utf8, "\\x1b[2J"},
        {"a stray continuation byte", "a\x9B", LogCharset::Utf8, "a\\x9b"},
        {"an overlong slash", "\xC0\xAF", LogCharset::Utf8, "\\xc0\\xaf"},
        {"a cut-off sequence", "\xE4\xB8", LogCharset::Utf8, "\\xe4\\xb8"},
    };
    for (const CharsetCase& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(LogTextFromUtf8(c.bytes, c.charset), c.logged);
    }
}

TEST(LogText, TheCLocaleWritesUtf8)
{
    // The test runs in the C locale unless one was set: no terminal character set is named, and
    // UTF-8 is what terminals take today.
    EXPECT_EQ(LogCharsetOfLocale(), LogCharset::Utf8);
}

}  // namespace
}  // namespace zandrel
