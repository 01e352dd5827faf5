#pragma once

#include <QKeySequence>
#include <QObject>

namespace zandrel {

// A key that works across the whole desktop, while another program (a game) has the keyboard: the
// way back from a click-through overlay. One platform file implements it (GlobalHotkeyX11.cpp on
// X11, which grabs the key on the root window); where there is none, it is compiled out and
// Register says Unsupported. UI thread.
class CGlobalHotkey : public QObject {
    Q_OBJECT
public:
    enum class Result { Registered, Taken, Unsupported };

    explicit CGlobalHotkey(QObject* parent = nullptr);
    ~CGlobalHotkey() override;

    // Takes `key` (one key with modifiers) for this program, giving up the one held before. Taken
    // when another program holds it, Unsupported when this desktop offers no way.
    Result Register(const QKeySequence& key);
    void Unregister();

signals:
    void activated();

private:
    class Impl;
    Impl* m_impl;
};

}  // namespace zandrel
