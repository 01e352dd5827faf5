#include "base/TextCodec.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include <iconv.h>

#include "base/Unicode.h"

namespace zandrel {
namespace {

constexpr const char* kCodePage = "GB18030";
constexpr const char* kUtf32 = std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";
constexpr char kReplacementBytes[] = "\x84\x31\xA4\x37";  // U+FFFD in GB18030

// One iconv descriptor per thread and direction: a descriptor carries shift state and must not be
// shared between threads, and opening one per call costs more than the conversion.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from))
    {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert between GB18030 and UTF-32");
    }
    ~Converter() { iconv_close(m_cd); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts as much as it can. Returns 0 when all input is used, else the errno that stopped it
    // (EILSEQ, EINVAL); `in` and `inLeft` then point at the offending input.
    int Run(char*& in, std::size_t& inLeft, std::string& out)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[1024];
        while (inLeft > 0) {
            char* dst = buffer;
            std::size_t dstLeft = sizeof buffer;
            const std::size_t rc = iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
            const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
            out.append(buffer, static_cast<std::size_t>(dst - buffer));
            if (error != 0 && error != E2BIG)
                return error;
        }
        return 0;
    }

private:
    iconv_t m_cd;
};

Converter& decoder()
{
    thread_local Converter converter(kUtf32, kCodePage);
    return converter;
}

Converter& encoder()
{
    thread_local Converter converter(kCodePage, kUtf32);
    return converter;
}

void appendUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        out.push_back(HighSurrogateOf(cp));
        out.push_back(LowSurrogateOf(cp));
    }
}

}  // namespace

std::u16string AnsiToWide(std::string_view bytes)
{
    std::u16string result;
    result.reserve(bytes.size());
    std::string utf32;
    char* in = const_cast<char*>(bytes.data());  // iconv's signature; it does not write the input
    std::size_t inLeft = bytes.size();
    for (;;) {
        utf32.clear();
        const int error = decoder().Run(in, inLeft, utf32);
        for (std::size_t i = 0; i + 4 <= utf32.size(); i += 4) {
            char32_t cp;
            std::memcpy(&cp, utf32.data() + i, 4);
            appendUtf16(result, cp);
        }
        if (error == 0)
            break;
        result.push_back(kReplacementChar);
        if (error == EINVAL)  // an incomplete sequence ends the input
            break;
        ++in;
        --inLeft;
    }
    return result;
}

void AppendCodePoints(std::string& out, std::u32string_view codePoints)
{
    std::size_t i = 0;
    while (i < codePoints.size()) {
        // The longest run that iconv can take: valid code points, converted in one call.
        std::size_t end = i;
        while (end < codePoints.size() && !IsSurrogate(codePoints[end]) && codePoints[end] <= 0x10FFFF)
            ++end;
        char* in = reinterpret_cast<char*>(const_cast<char32_t*>(codePoints.data() + i));
        std::size_t inLeft = (end - i) * sizeof(char32_t);
        while (inLeft > 0) {
            if (encoder().Run(in, inLeft, out) == 0)
                break;
            out.append(kReplacementBytes, 4);  // a private-use code point without a form
            in += sizeof(char32_t);
            inLeft -= sizeof(char32_t);
        }
        i = end;
        if (i < codePoints.size()) {
            out.append(kReplacementBytes, 4);  // a lone surrogate, or beyond U+10FFFF
            ++i;
        }
    }
}

std::string WideToAnsi(std::u16string_view text)
{
    // Join surrogate pairs here; a lone one stays a surrogate and becomes the replacement.
    std::u32string codePoints;
    codePoints.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            codePoints.push_back(JoinSurrogates(unit, text[i + 1]));
            ++i;
        } else {
            codePoints.push_back(unit);
        }
    }
    std::string out;
    out.reserve(text.size() * 2);
    AppendCodePoints(out, codePoints);
    return out;
}

}  // namespace zandrel
