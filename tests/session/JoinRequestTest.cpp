#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <sstream>
#include <string>

#include <json/json.h>

#include "session/JoinRequest.h"

namespace zandrel {
namespace {

constexpr const char* kUid = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

struct JoinCase {
    std::int32_t room;
    std::int32_t timestamp;
    const char* expected;
};

const JoinCase kGoldenRequests[] = {
    {0, 1700000000,
     "{\n"
     "   \"checksum\" : \"6f08eb5fa852117a9e7c64402411a0fe\",\n"
     "   \"cmd\" : \"JOIN\",\n"
     "   \"group\" : \"live0_0\",\n"
     "   \"name\" : \"live0\",\n"
     "   \"timestamp\" : 1700000000,\n"
     "   \"uid\" : \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"\n"
     "}\n"},
    {123, 1700000000,
     "{\n"
     "   \"checksum\" : \"6f08eb5fa852117a9e7c64402411a0fe\",\n"
     "   \"cmd\" : \"JOIN\",\n"
     "   \"group\" : \"live123_0\",\n"
     "   \"name\" : \"live123\",\n"
     "   \"timestamp\" : 1700000000,\n"
     "   \"uid\" : \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"\n"
     "}\n"},
    {-5, 1700000000,
     "{\n"
     "   \"checksum\" : \"6f08eb5fa852117a9e7c64402411a0fe\",\n"
     "   \"cmd\" : \"JOIN\",\n"
     "   \"group\" : \"live-5_0\",\n"
     "   \"name\" : \"live-5\",\n"
     "   \"timestamp\" : 1700000000,\n"
     "   \"uid\" : \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"\n"
     "}\n"},
    {INT_MIN, INT_MIN,
     "{\n"
     "   \"checksum\" : \"5ab94d4b9483bbd96f44f5b5a3a6f52a\",\n"
     "   \"cmd\" : \"JOIN\",\n"
     "   \"group\" : \"live-2147483648_0\",\n"
     "   \"name\" : \"live-2147483648\",\n"
     "   \"timestamp\" : -2147483648,\n"
     "   \"uid\" : \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"\n"
     "}\n"},
};

TEST(JoinRequest, GoldenRequestsByteForByte)
{
    for (const JoinCase& c : kGoldenRequests) {
        SCOPED_TRACE(c.room);
        EXPECT_EQ(BuildJoinRequest(c.room, kUid, c.timestamp), c.expected);
    }
}

TEST(JoinRequest, TheLongestRequestIs220Bytes) { EXPECT_EQ(BuildJoinRequest(INT_MIN, kUid, INT_MIN).size(), 220u); }

TEST(JoinRequest, FormatUidPrintsTheGuidWordsLittleEndian)
{
    const std::array<unsigned char, 16> bits = {0xFF, 0x19, 0x96, 0x6F, 0x86, 0x8B, 0x11, 0xD0,
                                                0xB4, 0x2D, 0x00, 0xC0, 0x4F, 0xC9, 0x64, 0xFF};
    EXPECT_EQ(FormatUid(bits), kUid);
}

// Eight, four, four, four and twelve uppercase hexadecimal digits, joined by hyphens.
bool hasUidShape(const std::string& uid)
{
    if (uid.size() != 36)
        return false;
    for (std::size_t i = 0; i < uid.size(); ++i) {
        const bool hyphen = i == 8 || i == 13 || i == 18 || i == 23;
        const char c = uid[i];
        if (hyphen ? c != '-' : !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

TEST(JoinRequest, NewUidsAreFreshAndWellFormed)
{
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const std::string uid = NewUid();
        ASSERT_TRUE(hasUidShape(uid)) << uid;
        seen.insert(uid);
    }
    EXPECT_EQ(seen.size(), 1000u);
    EXPECT_FALSE(hasUidShape("6f9619ff-8b86-d011-b42d-00c04fc964ff"));  // lowercase
    EXPECT_FALSE(hasUidShape("6F9619FF8B86-D011-B42D-00C04FC964FF0"));
}

TEST(JoinRequest, TwoRequestsInTheSameSecondDifferInUidAndChecksumOnly)
{
    const std::int32_t now = CurrentTimestamp();
    Json::Value first, second;
    std::istringstream firstText(BuildJoinRequest(42, NewUid(), now));
    std::istringstream secondText(BuildJoinRequest(42, NewUid(), now));
    Json::CharReaderBuilder builder;
    ASSERT_TRUE(Json::parseFromStream(builder, firstText, &first, nullptr));
    ASSERT_TRUE(Json::parseFromStream(builder, secondText, &second, nullptr));
    EXPECT_NE(first["uid"], second["uid"]);
    EXPECT_NE(first["checksum"], second["checksum"]);
    EXPECT_EQ(first["timestamp"], second["timestamp"]);
    EXPECT_EQ(first["name"].asString(), "live42");
}

TEST(JoinRequest, TimestampIsTheLow32BitsOfTheClock)
{
    const auto before = static_cast<std::uint32_t>(std::time(nullptr));
    const auto stamp = static_cast<std::uint32_t>(CurrentTimestamp());
    const auto after = static_cast<std::uint32_t>(std::time(nullptr));
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
}

}  // namespace
}  // namespace zandrel
