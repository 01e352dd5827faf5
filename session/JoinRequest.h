#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zandrel {

// The salt of the join request's checksum.
inline constexpr std::string_view kJoinSalt = "wqzpxe73k52t";

// A fresh uid: 128 random bits from the system's random source, printed as
// "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X" of a GUID's parts (36 characters).
std::string NewUid();
// The same printing of given bits: bytes 0-3, 4-5 and 6-7 are the little-endian GUID words.
std::string FormatUid(const std::array<unsigned char, 16>& bits);

// The current time in seconds since the epoch, cut to its low 32 bits and taken as signed.
std::int32_t CurrentTimestamp();

// The join request for a room, exactly as it goes on the wire: eight lines of styled JSON with the
// members in byte order of their keys, indented by three spaces, each line ending in a line feed.
std::string BuildJoinRequest(std::int32_t room, std::string_view uid, std::int32_t timestamp);

}  // namespace zandrel
