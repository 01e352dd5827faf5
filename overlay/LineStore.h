#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "session/BarrageMessage.h"

namespace zandrel {

// One line as the overlay shows it, in UTF-16: converted from the program's code page once, when
// the overlay stores it, so that showing it again (after a trim, a new font size) converts nothing.
struct ShownLine {
    std::u16string name;  // cut for display
    std::u16string text;  // emoticon tags replaced, cut for display
    std::u16string time;  // "HH:MM:SS\n", when it was stored
    std::u16string uid;   // the sender's, where the server sends one
    LineKind kind = LineKind::Chat;
    bool separator = false;  // the line between two rooms' lines: its text alone, centred
    bool highlighted = false;
    int count = 1;          // how many identical lines it stands for (merged repeats)
    std::time_t shownAt{};  // when it was stored

    friend bool operator==(const ShownLine&, const ShownLine&) = default;
};

// The overlay's lines, oldest first. A line that comes while more than kLimit are stored first trims
// the oldest kTrimCount, so the store holds at most kLimit + 1 and a view built from it stays short.
// Each stored line has a serial number, one more than the line before it. UI thread only.
class CLineStore {
public:
    static constexpr std::size_t kLimit = 500;
    static constexpr std::size_t kTrimCount = 460;

    // Stores `line` at the end. True when the store was trimmed first.
    bool Add(ShownLine line);
    const std::vector<ShownLine>& Lines() const { return m_lines; }
    // The serial of the oldest stored line, and the one the next line gets.
    std::uint64_t FirstSerial() const { return m_nextSerial - m_lines.size(); }
    std::uint64_t NextSerial() const { return m_nextSerial; }
    // The stored line with `serial` (FirstSerial() <= serial < NextSerial()), and its index.
    ShownLine& At(std::uint64_t serial) { return m_lines[IndexOf(serial)]; }
    std::size_t IndexOf(std::uint64_t serial) const { return static_cast<std::size_t>(serial - FirstSerial()); }
    // Puts `lines` in place of the stored ones, with new serials.
    void Replace(std::vector<ShownLine> lines)
    {
        m_lines = std::move(lines);
        m_nextSerial += m_lines.size();
    }

private:
    std::vector<ShownLine> m_lines;
    std::uint64_t m_nextSerial = 0;
};

}  // namespace zandrel
