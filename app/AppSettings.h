#pragma once

#include <optional>

#include <QPoint>
#include <QSize>
#include <QString>

#include "linerules/LineRules.h"
#include "overlay/BubbleDlg.h"
#include "speech/SpeechSettings.h"

class QSettings;

namespace zandrel {

// What the program remembers between runs, in the platform's usual place for settings
// (~/.config/Zandrel/Zandrel.conf on Linux). Without a settings file every value is the design's.
// The lock is never remembered: the overlay always starts unlocked.
struct AppSettings {
    static constexpr int kMinFontPointSize = 8;
    static constexpr int kMaxFontPointSize = 24;
    static constexpr int kMinOpacityPercent = 30;
    static constexpr int kMaxOpacityPercent = 100;
    static constexpr int kMinAlpha = (kMinOpacityPercent * 255 + 50) / 100;  // rounded, as SetOpacityPercent does
    static constexpr int kMinOverlayWidth = 160;
    static constexpr int kMaxOverlayWidth = 1200;
    static constexpr int kMinOverlayHeight = 200;
    static constexpr int kMaxOverlayHeight = 1600;
    static inline const QString kDefaultHotkey = QStringLiteral("Ctrl+Alt+L");
    static inline const QString kDefaultSpeechHotkey = QStringLiteral("Ctrl+Alt+P");
    static constexpr int kDefaultKeepLogDays = 30;
    static constexpr int kMaxKeepLogDays = 3650;
    static constexpr int kMaxListLength = 1 << 20;  // characters of a block or highlight list

    int fontPointSize = 10;
    int alpha = 160;                        // the overlay's opacity, of 255
    std::optional<QSize> overlaySize;       // none: the design's size
    QString hotkey = kDefaultHotkey;        // portable text, as QKeySequence writes it
    QString lastRoom;                       // digits, or empty
    std::optional<QPoint> overlayPosition;  // where the user left it
    // What the streamer asked of the room's lines, and how they look.
    LineRuleSettings rules;
    LineLook look;
    // Read-aloud, and the key that pauses and resumes it.
    SpeechSettings speech;
    QString speechHotkey = kDefaultSpeechHotkey;
    // The chat log, and how long its files are kept.
    bool chatLog = false;
    int keepLogDays = kDefaultKeepLogDays;
    // At start, join the room last joined; at a new room, clear the overlay instead of drawing a
    // line between the rooms.
    bool autoConnect = false;
    bool clearOnNewRoom = false;

    int OpacityPercent() const;
    void SetOpacityPercent(int percent);
    friend bool operator==(const AppSettings&, const AppSettings&) = default;
};

// The settings in `store`. A value that is missing, of the wrong kind or out of range gives its
// default; a file that cannot be read gives all defaults. Problems are told on standard error, and
// in `notice` (for the status line) when given; it is left empty when there are none.
AppSettings LoadSettings(QSettings& store, QString* notice = nullptr);
// False (told on standard error) when they cannot be written; the program goes on without them.
// A file that was damaged when it was read is written whole again: that is no failure.
bool SaveSettings(QSettings& store, const AppSettings& settings);

inline const QString kSettingsDamagedText = QStringLiteral("设置文件已损坏，已改用默认设置");
inline const QString kSettingsUnreadableText = QStringLiteral("设置文件无法读取，已改用默认设置");
inline const QString kSettingsBadValuesText = QStringLiteral("设置文件中有无效的值，已改用默认值");
inline const QString kSettingsUnwritableText = QStringLiteral("设置文件无法写入，设置不会保存");

}  // namespace zandrel
