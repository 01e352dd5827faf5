#pragma once

#include <string>

namespace zandrel {

// The placeholder that stands for an emoticon, in the program's code page: "[表情]".
inline constexpr char kEmoticonPlaceholder[] = "[\xB1\xED\xC7\xE9]";

// Replaces every emoticon tag, from "<img" to the first "/>" after it, by the placeholder. The match
// is exact ("<IMG" is text). An "<img" that no "/>" closes is kept as text, with the rest.
std::string ReplaceImgTags(std::string text);

}  // namespace zandrel
