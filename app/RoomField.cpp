#include "app/RoomField.h"

#include <climits>

namespace zandrel {

QValidator::State CRoomNumberValidator::validate(QString& input, int&) const
{
    // Full-width digits are the same digits: an input method may give them, or a paste from a page.
    constexpr char16_t kFullWidthZero = 0xFF10;
    for (QChar& c : input)
        if (c.unicode() >= kFullWidthZero && c.unicode() <= kFullWidthZero + 9)
            c = QChar(static_cast<char16_t>(u'0' + (c.unicode() - kFullWidthZero)));
    long long value = 0;
    for (const QChar c : input) {
        if (c < u'0' || c > u'9')
            return Invalid;
        value = value * 10 + (c.unicode() - u'0');
        if (value > INT_MAX)
            return Invalid;
    }
    return Acceptable;  // empty too: the connect command says that a room number is needed
}

bool IsRoomNumberText(QString text)
{
    int pos = 0;
    return !text.isEmpty() && CRoomNumberValidator().validate(text, pos) == QValidator::Acceptable;
}

}  // namespace zandrel
