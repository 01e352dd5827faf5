#pragma once

#include <QString>

namespace zandrel {

// What is read of a line: `pattern` with "{name}" and "{text}" replaced. Links and emoticon tags
// ("[表情]") are left out of the text, and what remains is cut to `maxTextLength` characters
// (0: not cut). Empty when nothing would be said but the pattern's own words around an empty text.
QString SpokenText(const QString& pattern, const QString& name, const QString& text, int maxTextLength);

}  // namespace zandrel
