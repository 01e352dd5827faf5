// The GB18030 / UTF-16 codec on arbitrary input, both ways. Properties: decoding never yields a lone
// surrogate; what decoding gives survives a round trip unchanged; encoding UTF-16 and decoding the
// result gives the input back, but for lone surrogates and the few code points without a GB18030
// form, which both come back as U+FFFD.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "base/TextCodec.h"
#include "base/Unicode.h"
#include "fuzz/FuzzCheck.h"

namespace {

using namespace zandrel;

bool hasLoneSurrogate(std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit)) {
            if (i + 1 >= text.size() || !IsLowSurrogate(text[i + 1]))
                return true;
            ++i;
        } else if (IsLowSurrogate(unit)) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bytes as the program's code page.
    const std::u16string decoded = AnsiToWide(std::string_view(reinterpret_cast<const char*>(data), size));
    FUZZ_CHECK(!hasLoneSurrogate(decoded));
    FUZZ_CHECK(AnsiToWide(WideToAnsi(decoded)) == decoded);

    // The same bytes as UTF-16 text.
    std::u16string wide(size / 2, u'\0');
    std::memcpy(wide.data(), data, wide.size() * 2);
    const std::u16string back = AnsiToWide(WideToAnsi(wide));
    FUZZ_CHECK(!hasLoneSurrogate(back));
    FUZZ_CHECK(back.size() <= wide.size());
    return 0;
}
