#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "session/MessageAssembler.h"

namespace zandrel {
namespace {

using Result = CMessageAssembler::Result;

struct Piece {
    std::string bytes;
    bool last;
    Result result;
    std::string message;  // on Complete
};

struct AssemblyCase {
    const char* label;
    std::size_t limit;
    std::vector<Piece> pieces;
};

TEST(MessageAssembler, Table)
{
    const std::vector<AssemblyCase> cases = {
        {"one piece", 10, {{"abc", true, Result::Complete, "abc"}}},
        {"three pieces",
         10,
         {{"ab", false, Result::Partial, ""},
          {"c", false, Result::Partial, ""},
          {"de", true, Result::Complete, "abcde"}}},
        {"an empty message", 10, {{"", true, Result::Complete, ""}}},
        {"exactly the limit", 4, {{"ab", false, Result::Partial, ""}, {"cd", true, Result::Complete, "abcd"}}},
        {"one byte over the limit is dropped whole",
         4,
         {{"ab", false, Result::Partial, ""}, {"cde", false, Result::Partial, ""}, {"f", true, Result::Dropped, ""}}},
        {"the message after a dropped one is whole",
         4,
         {{"abcdefg", true, Result::Dropped, ""},
          {"hi", false, Result::Partial, ""},
          {"j", true, Result::Complete, "hij"}}},
        {"messages in a row", 10, {{"one", true, Result::Complete, "one"}, {"two", true, Result::Complete, "two"}}},
    };
    for (const AssemblyCase& c : cases) {
        SCOPED_TRACE(c.label);
        CMessageAssembler assembler(c.limit);
        for (const Piece& piece : c.pieces) {
            const Result result = assembler.Add(piece.bytes, piece.last);
            EXPECT_EQ(result, piece.result) << piece.bytes;
            if (result == Result::Complete && piece.result == Result::Complete) {
                EXPECT_EQ(assembler.Message(), piece.message);
            }
        }
    }
}

TEST(MessageAssembler, TellsTheSizeOfADroppedMessage)
{
    CMessageAssembler assembler(4);
    assembler.Add("abc", false);
    assembler.Add("defg", false);
    EXPECT_EQ(assembler.Add("hi", true), Result::Dropped);
    EXPECT_EQ(assembler.DroppedSize(), 9u);
}

}  // namespace
}  // namespace zandrel
