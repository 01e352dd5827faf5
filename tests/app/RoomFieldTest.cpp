// What the room field takes, typed or pasted.

#include <gtest/gtest.h>

#include <QString>

#include "app/RoomField.h"

namespace zandrel {
namespace {

struct FieldCase {
    QString input;
    QValidator::State state;
    QString after;  // the input as the field keeps it
};

TEST(RoomField, TakesRoomNumbersOnly)
{
    const FieldCase cases[] = {
        {"", QValidator::Acceptable, ""},
        {"123", QValidator::Acceptable, "123"},
        {"00123", QValidator::Acceptable, "00123"},
        {"2147483647", QValidator::Acceptable, "2147483647"},
        {"0002147483647", QValidator::Acceptable, "0002147483647"},
        {QStringLiteral("０１２３"), QValidator::Acceptable, "0123"},  // full-width digits
        {QStringLiteral("12３"), QValidator::Acceptable, "123"},
        {"2147483648", QValidator::Invalid, "2147483648"},
        {"12345678901234567890", QValidator::Invalid, "12345678901234567890"},
        {"-5", QValidator::Invalid, "-5"},
        {"+5", QValidator::Invalid, "+5"},
        {" 12", QValidator::Invalid, " 12"},
        {"12a", QValidator::Invalid, "12a"},
        {QStringLiteral("房间 123"), QValidator::Invalid, QStringLiteral("房间 123")},
        {QStringLiteral("٣"), QValidator::Invalid, QStringLiteral("٣")},  // a digit of another script
    };
    const CRoomNumberValidator validator;
    for (const FieldCase& c : cases) {
        SCOPED_TRACE(c.input.toStdString());
        QString text = c.input;
        int pos = static_cast<int>(text.size());
        EXPECT_EQ(validator.validate(text, pos), c.state);
        if (c.state == QValidator::Acceptable) {
            EXPECT_EQ(text, c.after);
        }
        EXPECT_EQ(IsRoomNumberText(c.input), c.state == QValidator::Acceptable && !c.input.isEmpty());
    }
}

}  // namespace
}  // namespace zandrel
