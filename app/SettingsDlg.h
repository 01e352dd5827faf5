#pragma once

#include <functional>

#include <QDialog>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include "app/AppSettings.h"
#include "app/ChordEdit.h"
#include "app/GiftsMergePage.h"
#include "app/ListsPage.h"
#include "app/LogPage.h"
#include "app/RoomPage.h"
#include "app/SpeechPage.h"

namespace zandrel {

// What the settings box shows besides the settings: read-aloud's engine and the chat log's folder.
struct SettingsContext {
    QString speechProblem;  // null while the engine starts
    SpeechVoices voices;
    QString logFolder;
    std::function<void()> openLogFolder;
    // Where the overlay is on the screen while it shows (an empty rectangle otherwise): the box
    // keeps clear of it, so that a preview never covers the box's buttons.
    std::function<QRect()> overlayArea;
};

// The settings box, a page per feature: the overlay's look and the lock's global hotkey; block and
// highlight lists; gifts and merged repeats; read-aloud; the chat log; rooms. Each change is shown at once
// (through `preview`; typing in a list waits for a pause); Cancel puts back what was there. UI thread.
class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("设置");
    static inline const QString kHotkeyTakenText = QStringLiteral("此热键已被其他程序占用");

    // `preview` gets the settings as they are edited; the caller applies them.
    CSettingsDlg(const AppSettings& settings, const QSize& designSize, std::function<void(const AppSettings&)> preview,
                 const SettingsContext& context = {}, QWidget* parent = nullptr);

    AppSettings Settings() const;
    // Says whether the hotkey could not be taken (another program holds it). The warning is about
    // that key: it shows while the field holds it.
    void SetHotkeyTaken(bool taken);
    // Moves the box clear of the overlay (see SettingsContext::overlayArea) if it is not.
    void KeepClearOfOverlay();
    static constexpr int kOverlayGap = 12;

    QSpinBox& FontSize() { return m_fontSize; }
    QSpinBox& Opacity() { return m_opacity; }
    QSpinBox& OverlayWidth() { return m_width; }
    QSpinBox& OverlayHeight() { return m_height; }
    QKeySequenceEdit& Hotkey() { return m_hotkey; }
    QLabel& HotkeyState() { return m_hotkeyState; }
    QTabWidget& Tabs() { return m_tabs; }
    CListsPage& Lists() { return *m_lists; }
    CGiftsMergePage& GiftsMerge() { return *m_giftsMerge; }
    CSpeechPage& Speech() { return *m_speech; }
    CLogPage& Log() { return *m_log; }
    CRoomPage& Room() { return *m_room; }
    // Shows the preview now rather than after the pause that typing waits for.
    void PreviewNow();

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Changed();
    void UpdateHotkeyState();

    AppSettings m_original;
    QSize m_designSize;
    std::function<void(const AppSettings&)> m_preview;
    // First, so that it goes last: its first page holds the member controls below, which must
    // leave it before it deletes its pages.
    QTabWidget m_tabs;
    QSpinBox m_fontSize;
    QSpinBox m_opacity;
    QSpinBox m_width;
    QSpinBox m_height;
    CChordEdit m_hotkey;
    QLabel m_hotkeyState;
    QKeySequence m_takenHotkey;  // the key another program holds, if any
    CListsPage* m_lists;         // pages are owned by the tabs
    CGiftsMergePage* m_giftsMerge;
    CSpeechPage* m_speech;
    CLogPage* m_log;
    CRoomPage* m_room;
    std::function<QRect()> m_overlayArea;
    QTimer m_typingPause;
};

}  // namespace zandrel
