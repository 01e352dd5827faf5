#pragma once

#include <QString>

class QWidget;

namespace zandrel {

// Shows `text` in a box captioned `caption`, with one OK button and no icon, modal to `owner`, and
// returns once the user has answered it. Its text can be selected (a folder's path, to copy). UI
// thread.
//
// When `owner` is the active window, the box takes the focus as any box does. Otherwise another
// program (a game) has the keyboard, and a report that arrives then must not take it: the box
// appears above `owner` without activating, and `owner` takes no input until the box is answered.
// Qt would activate a modal window whatever its attributes, so that modality is the box's own.
void ShowMessageBox(QWidget& owner, const QString& caption, const QString& text);

}  // namespace zandrel
