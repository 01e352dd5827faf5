#include "app/ListFileText.h"

#include <string_view>

#include <QStringDecoder>

#include "base/TextCodec.h"

namespace zandrel {
namespace {

// Text holds no control characters but tabs, line ends and form feeds.
bool isText(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r' && u != u'\f' && u != u'\v') || u == 0x7F)
            return false;
    }
    return true;
}

bool hasControlBytes(const QByteArray& bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f' && b != '\v') || b == 0x7F)
            return true;
    }
    return false;
}

// The bytes in Qt's encoding `encoding`, if every one of them belongs to a character.
std::optional<QString> decodeStrictly(QStringConverter::Encoding encoding, const QByteArray& bytes)
{
    // Qt's UTF-16 decoder makes a byte left over at the end U+FFFD without calling it an error.
    const bool utf16 = encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE;
    if (utf16 && bytes.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// Whether the bytes are whole GB18030 sequences: one byte below 0x80; two bytes, 0x81-0xFE then
// 0x40-0x7E or 0x80-0xFE; four bytes, 0x81-0xFE, 0x30-0x39, 0x81-0xFE, 0x30-0x39.
bool isGb18030Shaped(const QByteArray& bytes)
{
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const auto lead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    const auto digit = [](unsigned char b) { return b >= 0x30 && b <= 0x39; };
    for (qsizetype i = 0; i < bytes.size();) {
        const unsigned char b = at(i);
        if (b < 0x80) {
            ++i;
        } else if (!lead(b) || i + 1 >= bytes.size()) {
            return false;
        } else if (const unsigned char t = at(i + 1); (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE)) {
            i += 2;
        } else if (digit(t) && i + 3 < bytes.size() && lead(at(i + 2)) && digit(at(i + 3))) {
            i += 4;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<QString> decodeGb18030(const QByteArray& bytes)
{
    if (!isGb18030Shaped(bytes))
        return std::nullopt;
    const std::u16string wide = AnsiToWide(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    // A four-byte form that no character has comes out as U+FFFD; the file's own U+FFFD is 84 31 A4 37.
    if (wide.find(kReplacementChar) != std::u16string::npos && !bytes.contains("\x84\x31\xA4\x37"))
        return std::nullopt;
    return QString::fromStdU16String(wide);
}

ListFileText found(ListFileText::Encoding encoding, QString text)
{
    if (!isText(text))
        return {std::nullopt, ListFileText::Problem::NotText, {}};
    return {encoding, ListFileText::Problem::None, std::move(text)};
}

}  // namespace

ListFileText DecodeListFile(const QByteArray& bytes)
{
    using Encoding = ListFileText::Encoding;
    // A byte-order mark says which; what follows it must then be that.
    const struct {
        const char* mark;
        Encoding encoding;
        QStringConverter::Encoding qt;
    } marked[] = {
        {"\xEF\xBB\xBF", Encoding::Utf8WithBom, QStringConverter::Utf8},
        {"\xFF\xFE", Encoding::Utf16Le, QStringConverter::Utf16LE},
        {"\xFE\xFF", Encoding::Utf16Be, QStringConverter::Utf16BE},
    };
    for (const auto& m : marked) {
        if (!bytes.startsWith(m.mark))
            continue;
        if (std::optional<QString> text = decodeStrictly(m.qt, bytes.mid(qstrlen(m.mark))))
            return found(m.encoding, std::move(*text));
        return {std::nullopt, ListFileText::Problem::UnknownEncoding, {}};
    }
    if (std::optional<QString> text = decodeStrictly(QStringConverter::Utf8, bytes))
        return found(Encoding::Utf8, std::move(*text));
    if (std::optional<QString> text = decodeGb18030(bytes))
        return found(Encoding::Gb18030, std::move(*text));
    return {std::nullopt,
            hasControlBytes(bytes) ? ListFileText::Problem::NotText : ListFileText::Problem::UnknownEncoding,
            {}};
}

QString EncodingName(ListFileText::Encoding encoding)
{
    switch (encoding) {
    case ListFileText::Encoding::Utf8:
        return QStringLiteral("UTF-8");
    case ListFileText::Encoding::Utf8WithBom:
        return QStringLiteral("UTF-8（带 BOM）");
    case ListFileText::Encoding::Utf16Le:
        return QStringLiteral("UTF-16 LE");
    case ListFileText::Encoding::Utf16Be:
        return QStringLiteral("UTF-16 BE");
    case ListFileText::Encoding::Gb18030:
        return QStringLiteral("GB18030");
    }
    return {};
}

}  // namespace zandrel
