// The global hotkey where no platform file implements it: nothing is taken, and it says so.

#include "platform/GlobalHotkey.h"

namespace zandrel {

class CGlobalHotkey::Impl {};

CGlobalHotkey::CGlobalHotkey(QObject* parent) : QObject(parent), m_impl(nullptr) {}

CGlobalHotkey::~CGlobalHotkey() = default;

CGlobalHotkey::Result CGlobalHotkey::Register(const QKeySequence&) { return Result::Unsupported; }

void CGlobalHotkey::Unregister() {}

}  // namespace zandrel
