#include "session/MessageAssembler.h"

namespace zandrel {

CMessageAssembler::Result CMessageAssembler::Add(std::string_view piece, bool last)
{
    if (m_complete) {
        m_message.clear();
        m_complete = false;
    }
    if (!m_dropping && m_message.size() + piece.size() > m_limit) {
        m_dropping = true;
        m_droppedSize = m_message.size();
        m_message.clear();
        m_message.shrink_to_fit();
    }
    if (m_dropping) {
        m_droppedSize += piece.size();
        if (!last)
            return Result::Partial;
        m_dropping = false;
        return Result::Dropped;
    }
    m_message.append(piece);
    if (!last)
        return Result::Partial;
    m_complete = true;
    return Result::Complete;
}

}  // namespace zandrel
