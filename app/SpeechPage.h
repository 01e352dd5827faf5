#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QWidget>

#include "app/AppSettings.h"
#include "app/ChordEdit.h"
#include "speech/SpeechVoices.h"

namespace zandrel {

// The settings box's page for read-aloud: which lines, the templates, the cut, the voice, rate and
// volume, the backlog's bound, the pause key, and what the engine says of itself. UI thread.
class CSpeechPage : public QWidget {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("朗读");
    static inline const QString kDefaultVoice = QStringLiteral("（默认）");
    static inline const QString kEngineStarting = QStringLiteral("语音引擎启动中…");
    static inline const QString kEngineReady = QStringLiteral("语音引擎可用");

    explicit CSpeechPage(const AppSettings& settings, QWidget* parent = nullptr);
    void Store(AppSettings& settings) const;
    // What the engine says: its problem (empty when it speaks, null while it starts) and voices, in
    // the order they are listed (Chinese ones first).
    void SetEngineStatus(const QString& problem, const SpeechVoices& voices);

    QCheckBox& Enabled() { return m_enabled; }
    QComboBox& Lines() { return m_lines; }
    QLineEdit& ChatTemplate() { return m_chatTemplate; }
    QLineEdit& GiftTemplate() { return m_giftTemplate; }
    QLabel& EngineState() { return m_engineState; }
    QComboBox& Voice() { return m_voice; }
    CChordEdit& PauseHotkey() { return m_pauseHotkey; }
    // Says why the pause key's field refused a chord.
    QLabel& PauseHotkeyState() { return m_pauseHotkeyState; }

signals:
    void changed();

private:
    QCheckBox m_enabled;
    QComboBox m_lines;
    QLineEdit m_chatTemplate;
    QLineEdit m_giftTemplate;
    QSpinBox m_cut;
    QComboBox m_voice;
    QSpinBox m_rate;
    QSpinBox m_volume;
    QSpinBox m_backlog;
    CChordEdit m_pauseHotkey;
    QLabel m_pauseHotkeyState;
    QLabel m_engineState;
    QString m_voiceName;
};

}  // namespace zandrel
