// The message assembler fed a sequence of pieces, against a model of what it must do: a message is
// the concatenation of its pieces up to the one marked last; one longer than the limit is dropped
// whole, with its size told.
//
// Input: each piece is one control byte (bit 7: last piece of its message; bits 0-6: length) and
// that many bytes of payload.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzCheck.h"
#include "session/MessageAssembler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::size_t kLimit = 200;
    zandrel::CMessageAssembler assembler(kLimit);
    using Result = zandrel::CMessageAssembler::Result;
    std::string model;  // the message so far
    std::size_t at = 0;
    while (at < size) {
        const std::uint8_t control = data[at++];
        const bool last = (control & 0x80) != 0;
        const std::size_t length = std::min<std::size_t>(control & 0x7F, size - at);
        const std::string_view piece(reinterpret_cast<const char*>(data + at), length);
        at += length;
        model.append(piece);

        const Result result = assembler.Add(piece, last);
        if (!last) {
            FUZZ_CHECK(result == Result::Partial);
            continue;
        }
        if (model.size() > kLimit) {
            FUZZ_CHECK(result == Result::Dropped);
            FUZZ_CHECK(assembler.DroppedSize() == model.size());
        } else {
            FUZZ_CHECK(result == Result::Complete);
            FUZZ_CHECK(assembler.Message() == model);
        }
        model.clear();
    }
    return 0;
}
