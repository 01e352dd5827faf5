#pragma once

#include <QKeySequenceEdit>

namespace zandrel {

// A hotkey field that takes one chord (Ctrl+Alt+K), never a sequence of them ("Ctrl+Alt+K,
// Return"), which no global hotkey can fire: the first whole chord ends the recording, and the
// field gives up the keyboard so that the next key goes to the box (Return confirms it). UI thread.
class CChordEdit : public QKeySequenceEdit {
    Q_OBJECT
public:
    using QKeySequenceEdit::QKeySequenceEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace zandrel
