#include "app/RoomNumber.h"

#include <climits>

#include "base/DecimalText.h"

namespace zandrel {

int RoomNumberFromText(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Up to one past INT_MAX, which a minus sign makes INT_MIN.
    const long long value = SaturatingDecimal(text.substr(i), static_cast<long long>(INT_MAX) + 1);
    if (negative)
        return value > INT_MAX ? INT_MIN : static_cast<int>(-value);
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

}  // namespace zandrel
