#pragma once

#include <QString>
#include <QValidator>

namespace zandrel {

// What the room field takes: a room number, that is decimal digits whose value fits the join
// request's room (at most 2147483647), leading zeros allowed. Full-width digits (０ to ９), typed or
// pasted, become ASCII digits. Anything else is refused whole, so a bad paste leaves the field as it
// was (the field then says why: QLineEdit::inputRejected).
class CRoomNumberValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// The text the user sees when the field refuses an input.
inline const QString kRoomNumberRule = QStringLiteral("房间号只能是不大于 2147483647 的数字");

// Whether `text` is a room number the field would take, empty excluded.
bool IsRoomNumberText(QString text);

}  // namespace zandrel
