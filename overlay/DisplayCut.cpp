#include "overlay/DisplayCut.h"

#include <algorithm>

#include "base/TextCodec.h"
#include "base/Unicode.h"

namespace zandrel {

std::string CutForDisplay(std::string text, std::size_t limit)
{
    // A character takes at least one byte: a text of `limit` bytes or fewer needs no cut.
    if (text.size() <= limit || limit == 0)
        return text;
    // And at most four: converting the first 4 * (limit + 1) bytes yields more than `limit` characters
    // whenever the whole text does, so a 1 MiB line costs no more than a short one.
    const std::size_t prefix = std::min(text.size(), 4 * (limit + 1));
    std::u16string wide = AnsiToWide(std::string_view(text).substr(0, prefix));
    if (wide.size() <= limit)
        return text;
    std::size_t keep = limit - 1;
    if (keep > 0 && IsHighSurrogate(wide[keep - 1]))
        --keep;  // the high half of a pair whose low half would be cut off
    wide.resize(keep);
    wide += u'\u2026';
    return WideToAnsi(wide);
}

}  // namespace zandrel
