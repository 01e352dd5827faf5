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

}  // namespace
}  // namespace zandrel
