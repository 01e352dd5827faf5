#include <gtest/gtest.h>

#include <string>

#include "overlay/ImgTags.h"

namespace zandrel {
namespace {

const std::string kFace = kEmoticonPlaceholder;

struct TagCase {
    std::string text;
    std::string expected;
};

TEST(ImgTags, Table)
{
    const TagCase cases[] = {
        {"<img src=1 />hi", kFace + "hi"},
        {"a<img/>b<img x/>c", "a" + kFace + "b" + kFace + "c"},
        {"<IMG/>", "<IMG/>"},
        {"<img/>", kFace},
        {"", ""},
        {"no tags", "no tags"},
        {"<img src=\"a.gif\"\n alt=x />", kFace},
        {"<img<img/>/>", kFace + "/>"},
        {"/><img/>", "/>" + kFace},
        {"<img/>", kFace},
        {"a<img b", "a<img b"},                       // unclosed: kept as text
        {"a<img/>b<img c", "a" + kFace + "b<img c"},  // the closed one is replaced
        {"\xD6\xD0<img/>\xCE\xC4", "\xD6\xD0" + kFace + "\xCE\xC4"},
    };
    for (const TagCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReplaceImgTags(c.text), c.expected);
    }
    EXPECT_EQ(kFace, "\x5B\xB1\xED\xC7\xE9\x5D");
}

}  // namespace
}  // namespace zandrel
