#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "session/Globals.h"

namespace zandrel {
namespace {

TEST(Globals, SendBufferTakesUpTo4095BytesAndRefusesMore)
{
    const std::string fits(4095, 'x');
    ASSERT_TRUE(SetSendBuffer(fits.c_str()));
    EXPECT_EQ(std::memcmp(g_szSendBuffer, fits.c_str(), 4096), 0);  // the NUL is the last byte

    const std::string tooLong(4096, 'y');
    EXPECT_FALSE(SetSendBuffer(tooLong.c_str()));
    EXPECT_EQ(g_szSendBuffer[0], 'x');  // unchanged

    ASSERT_TRUE(SetSendBuffer("join"));
    EXPECT_STREQ(g_szSendBuffer, "join");
}

TEST(Globals, StopServiceStoresTheValue)
{
    SetStopService(1);
    EXPECT_EQ(g_bStopService.load(), 1);
    SetStopService(0);
    EXPECT_EQ(g_bStopService.load(), 0);
}

}  // namespace
}  // namespace zandrel
