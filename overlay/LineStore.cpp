#include "overlay/LineStore.h"

namespace zandrel {

bool CLineStore::Add(ShownLine line)
{
    bool trimmed = false;
    if (m_lines.size() > kLimit) {
        m_lines.erase(m_lines.begin(), m_lines.begin() + static_cast<std::ptrdiff_t>(kTrimCount));
        trimmed = true;
    }
    m_lines.push_back(std::move(line));
    ++m_nextSerial;
    return trimmed;
}

}  // namespace zandrel
