#include <gtest/gtest.h>

#include <string>

#include "base/Md5.h"

namespace zandrel {
namespace {

struct Md5Case {
    const char* input;
    const char* digest;
};

// The test suite of RFC 1321, appendix A.5.
const Md5Case kRfc1321Suite[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e"},
    {"a", "0cc175b9c0f1b6a831c399e269772661"},
    {"abc", "900150983cd24fb0d6963f7d28e17f72"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a"},
};

TEST(Md5, Rfc1321TestSuite)
{
    for (const Md5Case& c : kRfc1321Suite) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(Md5Hex(c.input), c.digest);
    }
}

// Padding crosses a block boundary at 56 bytes; splitting the input must never change the digest.
TEST(Md5, AnySplitOfTheInputGivesTheSameDigest)
{
    std::string input;
    for (int i = 0; i < 200; ++i)
        input.push_back(static_cast<char>(i * 7 + 3));
    for (std::size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 200u}) {
        const std::string whole = Md5Hex(input.substr(0, length));
        for (std::size_t split = 0; split <= length; ++split) {
            md5 hash;
            const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
            hash.Update(bytes, static_cast<unsigned>(split));
            hash.Update(bytes + split, static_cast<unsigned>(length - split));
            hash.Finalize();
            ASSERT_EQ(DigestToHex(hash.Digest()), whole) << "length " << length << " split " << split;
        }
    }
}

TEST(Md5, InitStartsOverAndHighBytesAreHashedAsBytes)
{
    md5 hash;
    const unsigned char junk[] = {1, 2, 3};
    hash.Update(junk, 3);
    hash.Init();
    const unsigned char gbk[] = {0xD6, 0xD0};  // a GBK character: bytes above 0x7F are plain data
    hash.Update(gbk, 2);
    hash.Finalize();
    EXPECT_EQ(DigestToHex(hash.Digest()), Md5Hex("\xD6\xD0"));
    EXPECT_EQ(Md5Hex("\xD6\xD0"), "5301da37e5ffca1823a5cef67488d4bf");
}

TEST(Md5, DigestToHexIsLowercaseInOrder)
{
    const unsigned char digest[16] = {0x00, 0x01, 0x0A, 0x10, 0x7F, 0x80, 0xAB, 0xFF,
                                      0xC3, 0x3C, 0x99, 0x5A, 0xA5, 0xE0, 0x0E, 0xFE};
    EXPECT_EQ(DigestToHex(digest), "00010a107f80abffc33c995aa5e00efe");
}

}  // namespace
}  // namespace zandrel
