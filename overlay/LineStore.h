#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace zandrel {

// One line as the overlay shows it, in UTF-16: converted from the program's code page once, when
// the overlay stores it, so that showing it again (after a trim, a new font size) converts nothing.
struct ShownLine {
    std::u16string name;  // cut for display
    std::u16string text;  // emoticon tags replaced, cut for display
    std::u16string time;  // "HH:MM:SS\n", when it was stored

    friend bool operator==(const ShownLine&, const ShownLine&) = default;
};

// The overlay's lines, oldest first. A line that comes while more than kLimit are stored first trims
// the oldest kTrimCount, so the store holds at most kLimit + 1 and a view built from it stays short.
// UI thread only.
class CLineStore {
public:
    static constexpr std::size_t kLimit = 500;
    static constexpr std::size_t kTrimCount = 460;

    // Stores `line` at the end. True when the store was trimmed first.
    bool Add(ShownLine line);
    const std::vector<ShownLine>& Lines() const { return m_lines; }

private:
    std::vector<ShownLine> m_lines;
};

}  // namespace zandrel
