#pragma once

#include <string>
#include <utility>

namespace zandrel {

// What a line is: someone's chat, a gift, or the session's own news (the join, a reconnect).
enum class LineKind { Chat, Gift, Own };

// One line for the overlay, as the session reads it. The byte strings are in the program's code page
// (GB18030, a superset of GBK). The overlay converts a line once when it stores it, with the time it
// was stored (ShownLine); m_strTime stays empty on the way there.
struct BarrageMessage {
    std::string m_strCmd;
    std::string m_strText;
    std::string m_strUid;
    std::string m_strName;
    std::u16string m_strTime;
    LineKind m_kind = LineKind::Chat;

    void SetCmd(std::string value) { m_strCmd = std::move(value); }
    void SetText(std::string value) { m_strText = std::move(value); }
    void SetUid(std::string value) { m_strUid = std::move(value); }
    void SetName(std::string value) { m_strName = std::move(value); }

    friend bool operator==(const BarrageMessage&, const BarrageMessage&) = default;
};

}  // namespace zandrel
