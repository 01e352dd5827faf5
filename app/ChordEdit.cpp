#include "app/ChordEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace zandrel {

void CChordEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        setKeySequence(m_before);
        clearFocus();  // ends the recording: editingFinished follows
        return;
    }
    QKeySequenceEdit::keyPressEvent(event);
    // A modifier alone records nothing yet; the first key with it makes the chord whole.
    const QKeySequence keys = keySequence();
    if (keys.isEmpty())
        return;
    const QKeySequence chord(keys[0]);
    if (keys.count() > 1)
        setKeySequence(chord);
    if (const QString why = m_refusal ? m_refusal(chord) : QString(); !why.isEmpty()) {
        setKeySequence(m_before);  // and the field records on: the next chord may do
        emit refusalChanged(why);
        return;
    }
    emit refusalChanged(QString());
    clearFocus();  // ends the recording: editingFinished follows
}

void CChordEdit::focusInEvent(QFocusEvent* event)
{
    m_before = keySequence();
    QKeySequenceEdit::focusInEvent(event);
    SetRecording(true);
}

void CChordEdit::focusOutEvent(QFocusEvent* event)
{
    QKeySequenceEdit::focusOutEvent(event);
    SetRecording(false);
}

void CChordEdit::showEvent(QShowEvent* event)
{
    QKeySequenceEdit::showEvent(event);
    if (hasFocus())
        SetRecording(true);
}

void CChordEdit::hideEvent(QHideEvent* event)
{
    QKeySequenceEdit::hideEvent(event);
    SetRecording(false);  // a box that closes may not move the focus first
}

void CChordEdit::SetRecording(bool recording)
{
    if (recording == m_bRecording)
        return;
    m_bRecording = recording;
    if (!recording)
        emit refusalChanged(QString());
    emit recordingChanged(recording);
}

}  // namespace zandrel
