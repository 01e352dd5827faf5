#pragma once

#include <cstddef>
#include <string_view>

namespace zandrel {

// The value of the decimal digits that `text` starts with (0 when it starts with none), or `limit`
// (not negative) when it is larger: a long number saturates instead of overflowing.
constexpr long long SaturatingDecimal(std::string_view text, long long limit)
{
    long long value = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        value = value > (limit - digit) / 10 ? limit : value * 10 + digit;
    }
    return value;
}

}  // namespace zandrel
