// JSONTestSuite's parsing files (tests/data/jsontestsuite) through the chat server's message handler:
// each file whole, and as the value of a member of a chat line. The handler must never crash, must
// accept every y_ file and refuse every n_ file, except where the reader that the protocol asks for
// (the classic reader's default features) accepts more than RFC 8259; those are listed with why.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "support/ServerTextFixture.h"
#include "support/Watchdog.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;

// Why the reader accepts some n_ files. It cannot refuse them without leaving the classic reader's
// default features that the protocol asks for, or has no option to refuse them at all.
constexpr const char* kTrailingText = "text after the first value is ignored, as the classic reader ignores it";
constexpr const char* kComment = "comments are allowed, as the classic reader's default features allow them";
constexpr const char* kLenientNumber =
    "JsonCpp reads signs, leading zeros and bare points in numbers, and has no option to refuse them";
constexpr const char* kControlCharacter =
    "JsonCpp takes raw control characters inside strings, and has no option to refuse them";

struct Exception {
    bool asMember;  // accepted as a member's value too, not only as a whole message
    const char* why;
};

// The n_ files that the reader accepts. As a member's value, trailing text is no longer trailing, and
// the handler's text ends at a NUL byte, so fewer pass there.
const std::map<std::string, Exception> kAcceptedAgainstTheRfc = {
    {"n_array_comma_after_close.json", {false, kTrailingText}},
    {"n_array_extra_close.json", {false, kTrailingText}},
    {"n_array_just_minus.json", {true, kLenientNumber}},
    {"n_multidigit_number_then_00.json", {false, kTrailingText}},
    {"n_number_+1.json", {true, kLenientNumber}},
    {"n_number_-01.json", {true, kLenientNumber}},
    {"n_number_-2..json", {true, kLenientNumber}},
    {"n_number_0.e1.json", {true, kLenientNumber}},
    {"n_number_2.e+3.json", {true, kLenientNumber}},
    {"n_number_2.e-3.json", {true, kLenientNumber}},
    {"n_number_2.e3.json", {true, kLenientNumber}},
    {"n_number_neg_int_starting_with_zero.json", {true, kLenientNumber}},
    {"n_number_neg_real_without_int_part.json", {true, kLenientNumber}},
    {"n_number_real_without_fractional_part.json", {true, kLenientNumber}},
    {"n_number_with_leading_zero.json", {true, kLenientNumber}},
    {"n_object_trailing_comment.json", {true, kComment}},
    {"n_object_trailing_comment_open.json", {false, kTrailingText}},
    {"n_object_trailing_comment_slash_open.json", {true, kComment}},
    {"n_object_trailing_comment_slash_open_incomplete.json", {false, kTrailingText}},
    {"n_object_with_trailing_garbage.json", {false, kTrailingText}},
    {"n_string_unescaped_ctrl_char.json", {false, kControlCharacter}},
    {"n_string_unescaped_newline.json", {true, kControlCharacter}},
    {"n_string_unescaped_tab.json", {true, kControlCharacter}},
    {"n_string_with_trailing_garbage.json", {false, kTrailingText}},
    {"n_structure_array_trailing_garbage.json", {false, kTrailingText}},
    {"n_structure_array_with_extra_array_close.json", {false, kTrailingText}},
    {"n_structure_close_unopened_array.json", {false, kTrailingText}},
    {"n_structure_double_array.json", {false, kTrailingText}},
    {"n_structure_number_with_trailing_garbage.json", {false, kTrailingText}},
    {"n_structure_object_followed_by_closing_object.json", {true, kTrailingText}},
    {"n_structure_object_with_comment.json", {true, kComment}},
    {"n_structure_object_with_trailing_garbage.json", {false, kTrailingText}},
    {"n_structure_trailing_#.json", {false, kTrailingText}},
};

struct Case {
    std::string name;
    std::string text;
};

std::vector<Case> filesWithPrefix(char prefix)
{
    std::vector<Case> cases;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(ZANDREL_JSONTESTSUITE_DIR) / "test_parsing")) {
        const std::string name = entry.path().filename().string();
        if (name.size() < 2 || name[0] != prefix || name[1] != '_')
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        cases.push_back({name, std::string(std::istreambuf_iterator<char>(file), {})});
    }
    return cases;
}

class JsonTestSuite : public test::ServerTextFixture {
protected:
    // Whether the handler reads `text` as JSON.
    static bool AcceptedWhole(const std::string& text) { return ParseServerJson(text).has_value(); }
    // Whether a chat line whose extra member holds `text` is delivered.
    bool AcceptedAsMember(const std::string& text)
    {
        return Deliver(R"({"cmd":"cst","data":"line","extra":)" + text + "\n}").size() == 1;
    }
};

TEST_F(JsonTestSuite, EveryYFileIsAccepted)
{
    test::CWatchdog watchdog(std::chrono::seconds(60), "the JSONTestSuite files");
    const std::vector<Case> cases = filesWithPrefix('y');
    EXPECT_EQ(cases.size(), 95u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        watchdog.Note(c.name);
        EXPECT_TRUE(AcceptedWhole(c.text));
        EXPECT_TRUE(AcceptedAsMember(c.text));
    }
}

TEST_F(JsonTestSuite, EveryNFileIsRefusedButTheListedOnes)
{
    test::CWatchdog watchdog(std::chrono::seconds(60), "the JSONTestSuite files");
    const std::vector<Case> cases = filesWithPrefix('n');
    EXPECT_EQ(cases.size(), 188u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        watchdog.Note(c.name);
        const auto listed = kAcceptedAgainstTheRfc.find(c.name);
        const bool whole = listed != kAcceptedAgainstTheRfc.end();
        EXPECT_EQ(AcceptedWhole(c.text), whole) << (whole ? listed->second.why : "");
        EXPECT_EQ(AcceptedAsMember(c.text), whole && listed->second.asMember) << (whole ? listed->second.why : "");
    }
}

TEST_F(JsonTestSuite, EveryIFileIsHandledEitherWay)
{
    test::CWatchdog watchdog(std::chrono::seconds(60), "the JSONTestSuite files");
    const std::vector<Case> cases = filesWithPrefix('i');
    EXPECT_EQ(cases.size(), 35u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        watchdog.Note(c.name);
        AcceptedWhole(c.text);
        const std::vector<BarrageMessage> lines = Deliver(R"({"cmd":"cst","data":)" + c.text + "}");
        EXPECT_LE(lines.size(), 1u);
    }
}

}  // namespace
}  // namespace zandrel
