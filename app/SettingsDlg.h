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
    // Lets the program's global keys go (true) while a key field records, so that a press of one
    // of them reaches the field, and takes them again (false) when no field records.
    std::function<void(bool off)> globalKeysOff;
};

// The settings box, a page per feature: the overlay's look and the lock's global hotkey; block and
// highlight lists; gifts and merged repeats; read-aloud; the chat log; rooms. Each change is shown at once
// (through `preview`; typing in a list waits for a pause); Cancel puts back what was there. UI thread.
class CSettingsDlg : public QDialog {
    Q_OBJECT
public:
    static inline const QString kTitle = QStringLiteral("设置");
    static inline const QString kHotkeyTakenText = QStringLiteral("此热键已被其他程序占用");
    // A chord that the program's other key holds: "Ctrl+Alt+P 已是朗读的暂停/继续热键，请换一个".
    static inline const QString kKeyInUseText = QStringLiteral("%1 已是%2，请换一个");
    static inline const QString kLockKeyName = QStringLiteral("锁定热键");
    static inline const QString kPauseKeyName = QStringLiteral("朗读的暂停/继续热键");

    // `preview` gets the settings as they are edited; the caller applies them.
    CSettingsDlg(const AppSettings& settings, const QSize& designSize, std::function<void(const AppSettings&)> preview,
                 const SettingsContext& context = {}, QWidget* parent = nullptr);
    ~CSettingsDlg() override;

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
    CChordEdit& Hotkey() { return m_hotkey; }
    QLabel& HotkeyState() { return m_hotkeyState; }
    // Says why the lock key's field refused a chord.
    QLabel& HotkeyRefusal() { return m_hotkeyRefusal; }
    QTabWidget& Tabs() { return m_tabs; }
    CListsPage& Lists() { return *m_lists; }
    CGiftsMergePage& GiftsMerge() { return *m_giftsMerge; }
    CSpeechPage& Speech() { return *m_speech; }
    CLogPage& Log() { return *m_log; }
    CRoomPage& Room() { return *m_room; }
    // Shows the preview now rather than after the pause that typing waits for.
    void PreviewNow();

    void reject() override;
    // Every way the box ends: no field records any more, and the global keys are taken again.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Changed();
    void UpdateHotkeyState();
    // A key field began or ended recording.
    void UpdateGlobalKeys();
    void SetGlobalKeysOff(bool off);

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
    QLabel m_hotkeyRefusal;
    QKeySequence m_takenHotkey;  // the key another program holds, if any
    CListsPage* m_lists;         // pages are owned by the tabs
    CGiftsMergePage* m_giftsMerge;
    CSpeechPage* m_speech;
    CLogPage* m_log;
    CRoomPage* m_room;
    std::function<QRect()> m_overlayArea;
    std::function<void(bool)> m_globalKeysOff;
    bool m_bGlobalKeysOff = false;
    QTimer m_typingPause;
};

}  // namespace zandrel
