#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/RoomNumber.h"

namespace zandrel {
namespace {

TEST(RoomNumber, ReadAsAtoiReadsIt)
{
    const std::pair<std::string, int> cases[] = {
        {"123", 123},
        {"00123", 123},
        {"", 0},
        {"abc", 0},
        {"  42", 42},
        {"\t\n7", 7},
        {"-5", -5},
        {"+8", 8},
        {"12ab34", 12},
        {"- 5", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999999999999", INT_MIN},
    };
    for (const auto& [text, room] : cases)
        EXPECT_EQ(RoomNumberFromText(text), room) << text;
}

}  // namespace
}  // namespace zandrel
