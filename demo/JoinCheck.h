#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zandrel::demo {

// Checks a join request as the chat server does: a JSON object with "cmd" "JOIN", a 36-character
// uid, "name" live<room> and "group" live<room>_0, a timestamp within `toleranceSeconds` of `now`
// and the MD5 checksum of uid, timestamp and salt. On success `room` is the room number; on
// failure `reason` says what was wrong.
bool CheckJoinRequest(std::string_view text, std::int32_t now, int toleranceSeconds, int& room, std::string& reason);

}  // namespace zandrel::demo
