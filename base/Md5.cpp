#include "base/Md5.h"

#include <cstring>

namespace zandrel {
namespace {

constexpr unsigned char kPadding[64] = {0x80};

constexpr std::uint32_t F(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); }
constexpr std::uint32_t G(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & z) | (y & ~z); }
constexpr std::uint32_t H(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; }
constexpr std::uint32_t I(std::uint32_t x, std::uint32_t y, std::uint32_t z) { return y ^ (x | ~z); }
constexpr std::uint32_t rotate_left(std::uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

template <std::uint32_t (*Fn)(std::uint32_t, std::uint32_t, std::uint32_t)>
constexpr void step(std::uint32_t& a, std::uint32_t b, std::uint32_t c, std::uint32_t d, std::uint32_t x, int s,
                    std::uint32_t ac)
{
    a += Fn(b, c, d) + x + ac;
    a = rotate_left(a, s) + b;
}

}  // namespace

void md5::Init()
{
    m_count[0] = m_count[1] = 0;
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    std::memset(m_buffer, 0, sizeof m_buffer);
    std::memset(m_digest, 0, sizeof m_digest);
}

void md5::Update(const unsigned char* input, unsigned int length)
{
    unsigned int index = (m_count[0] >> 3) & 0x3F;
    if ((m_count[0] += length << 3) < (length << 3))
        ++m_count[1];
    m_count[1] += length >> 29;

    const unsigned int partLength = 64 - index;
    unsigned int i = 0;
    if (length >= partLength) {
        std::memcpy(&m_buffer[index], input, partLength);
        Transform(m_buffer);
        for (i = partLength; i + 63 < length; i += 64)
            Transform(&input[i]);
        index = 0;
    }
    std::memcpy(&m_buffer[index], &input[i], length - i);
}

void md5::Finalize()
{
    unsigned char bits[8];
    Encode(bits, m_count, 8);
    const unsigned int index = (m_count[0] >> 3) & 0x3F;
    const unsigned int padLength = index < 56 ? 56 - index : 120 - index;
    Update(kPadding, padLength);
    Update(bits, 8);
    Encode(m_digest, m_state, 16);

    std::memset(m_state, 0, sizeof m_state);
    std::memset(m_count, 0, sizeof m_count);
    std::memset(m_buffer, 0, sizeof m_buffer);
}

void md5::Transform(const unsigned char block[64])
{
    std::uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3], x[16];
    Decode(x, block, 64);

    // Round 1
    // The rounds as RFC 1321 lays them out, two steps a line.
    // clang-format off
    step<F>(a, b, c, d, x[0], 7, 0xd76aa478);   step<F>(d, a, b, c, x[1], 12, 0xe8c7b756);
    step<F>(c, d, a, b, x[2], 17, 0x242070db);  step<F>(b, c, d, a, x[3], 22, 0xc1bdceee);
    step<F>(a, b, c, d, x[4], 7, 0xf57c0faf);   step<F>(d, a, b, c, x[5], 12, 0x4787c62a);
    step<F>(c, d, a, b, x[6], 17, 0xa8304613);  step<F>(b, c, d, a, x[7], 22, 0xfd469501);
    step<F>(a, b, c, d, x[8], 7, 0x698098d8);   step<F>(d, a, b, c, x[9], 12, 0x8b44f7af);
    step<F>(c, d, a, b, x[10], 17, 0xffff5bb1); step<F>(b, c, d, a, x[11], 22, 0x895cd7be);
    step<F>(a, b, c, d, x[12], 7, 0x6b901122);  step<F>(d, a, b, c, x[13], 12, 0xfd987193);
    step<F>(c, d, a, b, x[14], 17, 0xa679438e); step<F>(b, c, d, a, x[15], 22, 0x49b40821);
    // Round 2
    step<G>(a, b, c, d, x[1], 5, 0xf61e2562);   step<G>(d, a, b, c, x[6], 9, 0xc040b340);
    step<G>(c, d, a, b, x[11], 14, 0x265e5a51); step<G>(b, c, d, a, x[0], 20, 0xe9b6c7aa);
    step<G>(a, b, c, d, x[5], 5, 0xd62f105d);   step<G>(d, a, b, c, x[10], 9, 0x02441453);
    step<G>(c, d, a, b, x[15], 14, 0xd8a1e681); step<G>(b, c, d, a, x[4], 20, 0xe7d3fbc8);
    step<G>(a, b, c, d, x[9], 5, 0x21e1cde6);   step<G>(d, a, b, c, x[14], 9, 0xc33707d6);
    step<G>(c, d, a, b, x[3], 14, 0xf4d50d87);  step<G>(b, c, d, a, x[8], 20, 0x455a14ed);
    step<G>(a, b, c, d, x[13], 5, 0xa9e3e905);  step<G>(d, a, b, c, x[2], 9, 0xfcefa3f8);
    step<G>(c, d, a, b, x[7], 14, 0x676f02d9);  step<G>(b, c, d, a, x[12], 20, 0x8d2a4c8a);
    // Round 3
    step<H>(a, b, c, d, x[5], 4, 0xfffa3942);   step<H>(d, a, b, c, x[8], 11, 0x8771f681);
    step<H>(c, d, a, b, x[11], 16, 0x6d9d6122); step<H>(b, c, d, a, x[14], 23, 0xfde5380c);
    step<H>(a, b, c, d, x[1], 4, 0xa4beea44);   step<H>(d, a, b, c, x[4], 11, 0x4bdecfa9);
    step<H>(c, d, a, b, x[7], 16, 0xf6bb4b60);  step<H>(b, c, d, a, x[10], 23, 0xbebfbc70);
    step<H>(a, b, c, d, x[13], 4, 0x289b7ec6);  step<H>(d, a, b, c, x[0], 11, 0xeaa127fa);
    step<H>(c, d, a, b, x[3], 16, 0xd4ef3085);  step<H>(b, c, d, a, x[6], 23, 0x04881d05);
    step<H>(a, b, c, d, x[9], 4, 0xd9d4d039);   step<H>(d, a, b, c, x[12], 11, 0xe6db99e5);
    step<H>(c, d, a, b, x[15], 16, 0x1fa27cf8); step<H>(b, c, d, a, x[2], 23, 0xc4ac5665);
    // Round 4
    step<I>(a, b, c, d, x[0], 6, 0xf4292244);   step<I>(d, a, b, c, x[7], 10, 0x432aff97);
    step<I>(c, d, a, b, x[14], 15, 0xab9423a7); step<I>(b, c, d, a, x[5], 21, 0xfc93a039);
    step<I>(a, b, c, d, x[12], 6, 0x655b59c3);  step<I>(d, a, b, c, x[3], 10, 0x8f0ccc92);
    step<I>(c, d, a, b, x[10], 15, 0xffeff47d); step<I>(b, c, d, a, x[1], 21, 0x85845dd1);
    step<I>(a, b, c, d, x[8], 6, 0x6fa87e4f);   step<I>(d, a, b, c, x[15], 10, 0xfe2ce6e0);
    step<I>(c, d, a, b, x[6], 15, 0xa3014314);  step<I>(b, c, d, a, x[13], 21, 0x4e0811a1);
    step<I>(a, b, c, d, x[4], 6, 0xf7537e82);   step<I>(d, a, b, c, x[11], 10, 0xbd3af235);
    step<I>(c, d, a, b, x[2], 15, 0x2ad7d2bb);  step<I>(b, c, d, a, x[9], 21, 0xeb86d391);
    // clang-format on

    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
    std::memset(x, 0, sizeof x);
}

void md5::Encode(unsigned char* output, const std::uint32_t* input, unsigned int length)
{
    for (unsigned int i = 0, j = 0; j < length; ++i, j += 4) {
        output[j] = static_cast<unsigned char>(input[i] & 0xff);
        output[j + 1] = static_cast<unsigned char>((input[i] >> 8) & 0xff);
        output[j + 2] = static_cast<unsigned char>((input[i] >> 16) & 0xff);
        output[j + 3] = static_cast<unsigned char>((input[i] >> 24) & 0xff);
    }
}

void md5::Decode(std::uint32_t* output, const unsigned char* input, unsigned int length)
{
    for (unsigned int i = 0, j = 0; j < length; ++i, j += 4)
        output[i] = std::uint32_t{input[j]} | (std::uint32_t{input[j + 1]} << 8) | (std::uint32_t{input[j + 2]} << 16) |
                    (std::uint32_t{input[j + 3]} << 24);
}

std::string DigestToHex(const unsigned char* digest)
{
    static constexpr char kHex[] = "0123456789abcdef";
    std::string hex(32, '0');
    for (int i = 0; i < 16; ++i) {
        hex[2 * i] = kHex[digest[i] >> 4];
        hex[2 * i + 1] = kHex[digest[i] & 0x0F];
    }
    return hex;
}

std::string Md5Hex(const std::string& bytes)
{
    md5 hash;
    // Update takes an unsigned length, so feed very long inputs in slices.
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t left = bytes.size();
    while (left > 0) {
        const unsigned int slice = left > 0x10000000u ? 0x10000000u : static_cast<unsigned int>(left);
        hash.Update(data, slice);
        data += slice;
        left -= slice;
    }
    hash.Finalize();
    return DigestToHex(hash.Digest());
}

std::string Md5Hex(const char* text) { return Md5Hex(std::string(text)); }

}  // namespace zandrel
