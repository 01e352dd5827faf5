#pragma once

#include <cstdint>
#include <string>

namespace zandrel {

// MD5 as RFC 1321 gives it: Init, any number of Update calls, Finalize, then Digest.
class md5 {
public:
    md5() { Init(); }

    void Init();
    void Update(const unsigned char* input, unsigned int length);
    // Pads, appends the bit count and produces the digest; then clears the working state.
    void Finalize();
    const unsigned char* Digest() const { return m_digest; }

private:
    void Transform(const unsigned char block[64]);
    static void Encode(unsigned char* output, const std::uint32_t* input, unsigned int length);
    static void Decode(std::uint32_t* output, const unsigned char* input, unsigned int length);

    std::uint32_t m_state[4];
    std::uint32_t m_count[2];  // bits hashed, low word first
    unsigned char m_buffer[64];
    unsigned char m_digest[16];
};

// The 32 lowercase hexadecimal digits of the 16 digest bytes, in order.
std::string DigestToHex(const unsigned char* digest);
// MD5 of the bytes of a NUL-terminated text, without the NUL.
std::string Md5Hex(const char* text);
std::string Md5Hex(const std::string& bytes);

}  // namespace zandrel
