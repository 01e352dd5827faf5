#pragma once

// A chat line as the session hands it to the overlay, written in the tests in UTF-8.

#include "session/BarrageMessage.h"
#include "support/TestServices.h"

namespace zandrel::test {

inline BarrageMessage ChatLine(const char* name, const char* text, LineKind kind = LineKind::Chat, const char* uid = "")
{
    BarrageMessage rec;
    rec.SetCmd("cst");
    rec.SetName(Utf8ToAnsi(name));
    rec.SetText(Utf8ToAnsi(text));
    rec.SetUid(uid);
    rec.m_kind = kind;
    return rec;
}

}  // namespace zandrel::test
