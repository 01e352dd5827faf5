#include "overlay/DisplayCut.h"

#include <algorithm>

#include "base/TextCodec.h"
#include "base/Unicode.h"

namespace zandrel {

std::u16string CutForDisplay(std::string_view text, std::size_t limit)
{
    // A character takes at least one byte and at most four: converting the first 4 * (limit + 1)
    // bytes yields more than `limit` characters whenever the whole text does.
    const std::size_t prefix = limit == 0 ? text.size() : std::min(text.size(), 4 * (limit + 1));
    std::u16string wide = AnsiToWide(text.substr(0, prefix));
    if (limit == 0 || wide.size() <= limit)
        return wide;
    std::size_t keep = limit - 1;
    if (keep > 0 && IsHighSurrogate(wide[keep - 1]))
        --keep;  // the high half of a pair whose low half would be cut off
    wide.resize(keep);
    wide += u'\u2026';
    return wide;
}

void KeepInOneParagraph(std::u16string& text)
{
    for (char16_t& ch : text)
        if (ch == u'\n' || ch == u'\r' || ch == u'\u2029' || ch == u'\uFDD0' || ch == u'\uFDD1')
            ch = u'\u2028';
}

}  // namespace zandrel
