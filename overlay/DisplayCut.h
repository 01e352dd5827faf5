#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zandrel {

// How much of a line the overlay shows: names up to 255 characters, texts up to 1,023 (UTF-16
// units). A longer one is cut and ends in "…", so that no single message holds the UI thread for
// longer than a frame while the view lays it out.
inline constexpr std::size_t kShownNameLength = 255;
inline constexpr std::size_t kShownTextLength = 1023;

// `text`, in the program's code page, as UTF-16 cut to at most `limit` characters counting the "…"
// that ends a cut text; a surrogate pair is never split. Only as much of a long text is converted
// as the cut can keep, so a 1 MiB line costs what a short one does.
std::u16string CutForDisplay(std::string_view text, std::size_t limit);

// `text` with every character that would start a new paragraph in the view (line feed, carriage
// return, the paragraph separator) turned into a line separator, one for one: the text still breaks
// where it did, and each line of the overlay stays two paragraphs, its title's and its text's.
void KeepInOneParagraph(std::u16string& text);

}  // namespace zandrel
