#include "app/ChordEdit.h"

#include <QKeyEvent>

namespace zandrel {

void CChordEdit::keyPressEvent(QKeyEvent* event)
{
    QKeySequenceEdit::keyPressEvent(event);
    // A modifier alone records nothing yet; the first key with it makes the chord whole.
    const QKeySequence keys = keySequence();
    if (keys.isEmpty())
        return;
    if (keys.count() > 1)
        setKeySequence(QKeySequence(keys[0]));
    clearFocus();  // ends the recording: editingFinished follows
}

}  // namespace zandrel
