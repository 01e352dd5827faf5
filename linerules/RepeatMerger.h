#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <unordered_map>

namespace zandrel {

// Which earlier line a repeat merges into: a line identical to one shown less than `seconds` ago,
// that is still shown, merges into it. Lines are known by a serial number that grows by one with
// each shown line; the caller says which serials are still shown. UI thread.
class CRepeatMerger {
public:
    // The serial of the line that `key` (the line's kind, sender and text) merges into at `now`,
    // if any; otherwise none, and the line, shown as `serial`, is the one later repeats merge into.
    std::optional<std::uint64_t> Merge(const std::u16string& key, std::uint64_t serial, std::time_t now, int seconds,
                                       std::uint64_t firstShownSerial);
    void Clear() { m_shown.clear(); }
    std::size_t Size() const { return m_shown.size(); }

private:
    struct Shown {
        std::uint64_t serial;
        std::time_t at;
    };
    std::unordered_map<std::u16string, Shown> m_shown;
    std::uint64_t m_forgetBelow = 0;
};

}  // namespace zandrel
