#include "linerules/RepeatMerger.h"

#include <iterator>

namespace zandrel {
namespace {

// Lines that are no longer shown are forgotten once there are this many remembered: the map
// stays about as large as the overlay's store, whatever the flood.
constexpr std::size_t kForgetAt = 2048;

}  // namespace

std::optional<std::uint64_t> CRepeatMerger::Merge(const std::u16string& key, std::uint64_t serial, std::time_t now,
                                                  int seconds, std::uint64_t firstShownSerial)
{
    if (const auto found = m_shown.find(key); found != m_shown.end()) {
        const Shown& earlier = found->second;
        if (earlier.serial >= firstShownSerial && now - earlier.at < seconds && now >= earlier.at)
            return earlier.serial;
    }
    if (m_shown.size() >= kForgetAt && firstShownSerial > m_forgetBelow) {
        std::erase_if(m_shown, [&](const auto& entry) { return entry.second.serial < firstShownSerial; });
        m_forgetBelow = firstShownSerial;
    }
    m_shown[key] = {serial, now};
    return std::nullopt;
}

}  // namespace zandrel
