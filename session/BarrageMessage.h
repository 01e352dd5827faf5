#pragma once

#include <string>
#include <utility>

namespace zandrel {

// One line for the overlay. The byte strings are in the program's code page (GB18030, a superset of
// GBK); m_strTime is filled by the overlay when it stores the line.
struct BarrageMessage {
    std::string m_strCmd;
    std::string m_strText;
    std::string m_strUid;
    std::string m_strName;
    std::u16string m_strTime;

    void SetCmd(std::string value) { m_strCmd = std::move(value); }
    void SetText(std::string value) { m_strText = std::move(value); }
    void SetUid(std::string value) { m_strUid = std::move(value); }
    void SetName(std::string value) { m_strName = std::move(value); }

    friend bool operator==(const BarrageMessage&, const BarrageMessage&) = default;
};

}  // namespace zandrel
