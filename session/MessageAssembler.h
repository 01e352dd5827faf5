#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zandrel {

// Collects the pieces in which a WebSocket message arrives into the whole message. A message longer
// than the limit is dropped whole: its pieces are discarded up to its end.
class CMessageAssembler {
public:
    static constexpr std::size_t kDefaultLimit = 1 << 20;
    enum class Result { Partial, Complete, Dropped };

    explicit CMessageAssembler(std::size_t limit = kDefaultLimit) : m_limit(limit) {}

    // Adds the next piece; `last` marks the message's end. On Complete, Message() holds the message
    // until the next call. On Dropped, DroppedSize() tells how long it was.
    Result Add(std::string_view piece, bool last);
    const std::string& Message() const { return m_message; }
    std::size_t DroppedSize() const { return m_droppedSize; }

private:
    std::size_t m_limit;
    std::string m_message;
    bool m_complete = false;
    bool m_dropping = false;
    std::size_t m_droppedSize = 0;
};

}  // namespace zandrel
