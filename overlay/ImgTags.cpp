#include "overlay/ImgTags.h"

#include <string_view>

namespace zandrel {

std::string ReplaceImgTags(std::string text)
{
    static constexpr std::string_view kTagStart = "<img";
    static constexpr std::string_view kTagEnd = "/>";
    const std::string_view rest(text);
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t start = rest.find(kTagStart, pos);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = rest.find(kTagEnd, start + kTagStart.size());
        if (end == std::string_view::npos)
            break;  // an unclosed tag stays text
        out.append(rest.substr(pos, start - pos));
        out.append(kEmoticonPlaceholder);
        pos = end + kTagEnd.size();
    }
    if (pos == 0)
        return text;  // nothing replaced: no copy
    out.append(rest.substr(pos));
    return out;
}

}  // namespace zandrel
