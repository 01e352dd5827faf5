#pragma once

#include <cstddef>
#include <string>

namespace zandrel {

// How much of a line the overlay shows: names up to 255 characters, texts up to 1,023 (UTF-16
// units). A longer one is cut and ends in "…", so that no single message holds the UI thread for
// longer than a frame while the view lays it out.
inline constexpr std::size_t kShownNameLength = 255;
inline constexpr std::size_t kShownTextLength = 1023;

// `text` in the program's code page, cut to at most `limit` characters counting the "…" that ends a
// cut text; a surrogate pair is never split. A text within the limit is returned as it is.
std::string CutForDisplay(std::string text, std::size_t limit);

}  // namespace zandrel
