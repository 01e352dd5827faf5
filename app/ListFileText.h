#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace zandrel {

// The text of a list file that the streamer imports, in whichever encoding it was saved: UTF-8 with
// or without a byte-order mark, UTF-16 with one, or GB18030 (which holds GBK and GB2312), tried in
// that order. A file that holds control characters (NUL and the like; tabs and line ends are text)
// is no text file.
struct ListFileText {
    enum class Encoding { Utf8, Utf8WithBom, Utf16Le, Utf16Be, Gb18030 };
    enum class Problem { None, NotText, UnknownEncoding };

    std::optional<Encoding> encoding;  // none when there is a problem
    Problem problem = Problem::None;
    QString text;
};

ListFileText DecodeListFile(const QByteArray& bytes);
// How the page names the encoding: "UTF-8", "UTF-8（带 BOM）", "UTF-16 LE", "UTF-16 BE", "GB18030".
QString EncodingName(ListFileText::Encoding encoding);

}  // namespace zandrel
