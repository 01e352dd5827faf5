#pragma once

#include <string_view>

namespace zandrel {

// The decimal value of a room field's text as atoi reads it: leading white space skipped, an
// optional sign, the digits up to the first other character, 0 when there are none. A value beyond
// the int range saturates instead of overflowing.
int RoomNumberFromText(std::string_view text);

}  // namespace zandrel
