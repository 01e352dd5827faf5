#pragma once

#include <functional>

#include <QDialog>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QSpinBox>

#include "app/AppSettings.h"

namespace zandrel {

// The settings box: the overlay's text size, opacity and size, and the lock's global hotkey. Each
// change is shown at once (through `preview`); Cancel puts back what was there. UI thread.
class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("设置");
    static inline const QString kHotkeyTakenText = QStringLiteral("此热键已被其他程序占用");

    // `preview` gets the settings as they are edited; the caller applies them.
    CSettingsDlg(const AppSettings& settings, const QSize& designSize, std::function<void(const AppSettings&)> preview,
                 QWidget* parent = nullptr);

    AppSettings Settings() const;
    // Says whether the hotkey could not be taken (another program holds it).
    void SetHotkeyTaken(bool taken);

    QSpinBox& FontSize() { return m_fontSize; }
    QSpinBox& Opacity() { return m_opacity; }
    QSpinBox& OverlayWidth() { return m_width; }
    QSpinBox& OverlayHeight() { return m_height; }
    QKeySequenceEdit& Hotkey() { return m_hotkey; }
    QLabel& HotkeyState() { return m_hotkeyState; }

    void reject() override;

private:
    void Changed();

    AppSettings m_original;
    QSize m_designSize;
    std::function<void(const AppSettings&)> m_preview;
    QSpinBox m_fontSize;
    QSpinBox m_opacity;
    QSpinBox m_width;
    QSpinBox m_height;
    QKeySequenceEdit m_hotkey;
    QLabel m_hotkeyState;
};

}  // namespace zandrel
