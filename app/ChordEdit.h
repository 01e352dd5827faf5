#pragma once

#include <functional>

#include <QKeySequenceEdit>

namespace zandrel {

// A hotkey field that takes one chord (Ctrl+Alt+K), never a sequence of them ("Ctrl+Alt+K,
// Return"), which no global hotkey can fire: the first whole chord ends the recording, and the
// field gives up the keyboard so that the next key goes to the box (Return confirms it). Esc ends
// the recording too, keeping what the field held. It records while it has the keyboard, and says
// when that begins and ends, so that the program can let its own global keys go meanwhile. A chord
// that the refusal names (another key of the program's) is refused: the field keeps what it held
// and goes on recording. UI thread.
class CChordEdit : public QKeySequenceEdit {
    Q_OBJECT
public:
    using QKeySequenceEdit::QKeySequenceEdit;

    bool IsRecording() const { return m_bRecording; }
    // Why a chord cannot be taken here (empty: it can).
    void SetRefusal(std::function<QString(const QKeySequence&)> refusal) { m_refusal = std::move(refusal); }

signals:
    void recordingChanged(bool recording);
    // Why the last chord was refused; empty once a chord is taken or the recording ends.
    void refusalChanged(const QString& why);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void SetRecording(bool recording);

    QKeySequence m_before;  // what the field held when the recording began
    bool m_bRecording = false;
    std::function<QString(const QKeySequence&)> m_refusal;
};

}  // namespace zandrel
