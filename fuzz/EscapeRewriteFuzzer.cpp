// The program's reading of the bytes inside JSON strings, on arbitrary text. Properties: everything
// outside strings is left as it was; no "\u" escape of a character at or above 0x80 is left for the
// JSON reader; a text without backslashes or bytes above 0x7F comes back unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "session/EscapeDecoding.h"

namespace {

// The text outside strings (quotes kept), and the escapes inside them, as the rewrite scans them.
struct Scan {
    std::string outside;
    bool highEscape = false;  // a "\u" escape of 0x80 or more inside a string
};

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

Scan scan(std::string_view s)
{
    Scan result;
    enum { Outside, LineComment, BlockComment } where = Outside;
    std::size_t i = 0;
    while (i < s.size()) {
        const char c = s[i];
        const char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (where == Outside && c == '"') {
            result.outside += c;
            ++i;
            while (i < s.size() && s[i] != '"') {
                if (s[i] == '\\') {
                    if (i + 5 < s.size() && s[i + 1] == 'u' && isHex(s[i + 2]) && isHex(s[i + 3]) && isHex(s[i + 4]) &&
                        isHex(s[i + 5]) && std::stoul(std::string(s.substr(i + 2, 4)), nullptr, 16) >= 0x80)
                        result.highEscape = true;
                    i += 2;
                } else {
                    ++i;
                }
            }
            if (i < s.size())
                result.outside += s[i++];
            continue;
        }
        if (where == Outside && c == '/' && next == '/')
            where = LineComment;
        else if (where == Outside && c == '/' && next == '*') {
            result.outside += "/*";
            i += 2;
            where = BlockComment;
            continue;
        } else if (where == LineComment && (c == '\n' || c == '\r'))
            where = Outside;
        else if (where == BlockComment && c == '*' && next == '/') {
            result.outside += "*/";
            i += 2;
            where = Outside;
            continue;
        }
        result.outside += c;
        ++i;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string output = zandrel::RewriteUnicodeEscapes(input);

    const Scan before = scan(input);
    const Scan after = scan(output);
    FUZZ_CHECK(before.outside == after.outside);
    FUZZ_CHECK(!after.highEscape);
    bool plain = input.find('\\') == std::string_view::npos;
    for (const char c : input)
        plain = plain && static_cast<unsigned char>(c) < 0x80;
    FUZZ_CHECK(!plain || output == input);
    return 0;
}
