#include "app/AppSettings.h"
#include "app/RoomField.h"

#include <cmath>
#include <cstdio>

#include <QSettings>

namespace zandrel {
namespace {

constexpr char kFontSize[] = "overlay/fontPointSize";
constexpr char kOpacity[] = "overlay/opacity";  // of 255
constexpr char kWidth[] = "overlay/width";
constexpr char kHeight[] = "overlay/height";
constexpr char kX[] = "overlay/x";
constexpr char kY[] = "overlay/y";
constexpr char kHotkey[] = "lock/hotkey";
constexpr char kRoom[] = "session/lastRoom";
constexpr char kBlockedSenders[] = "rules/blockedSenders";
constexpr char kBlockedKeywords[] = "rules/blockedKeywords";
constexpr char kHighlightedSenders[] = "rules/highlightedSenders";
constexpr char kHighlightedKeywords[] = "rules/highlightedKeywords";
constexpr char kRegex[] = "rules/keywordsAreRegex";
constexpr char kOnlyGifts[] = "rules/onlyGiftsAndHighlights";
constexpr char kMerge[] = "rules/mergeRepeats";
constexpr char kMergeSeconds[] = "rules/mergeSeconds";
constexpr char kHighlightColour[] = "look/highlightColour";
constexpr char kGiftsStandOut[] = "look/giftsStandOut";
constexpr char kGiftColour[] = "look/giftColour";
constexpr char kSpeech[] = "speech/enabled";
constexpr char kSpeechLines[] = "speech/lines";
constexpr char kChatTemplate[] = "speech/chatTemplate";
constexpr char kGiftTemplate[] = "speech/giftTemplate";
constexpr char kSpeechCut[] = "speech/maxTextLength";
constexpr char kVoice[] = "speech/voice";
constexpr char kRate[] = "speech/rate";
constexpr char kVolume[] = "speech/volume";
constexpr char kBacklog[] = "speech/maxBacklogSeconds";
constexpr char kSpeechHotkey[] = "speech/hotkey";
constexpr char kChatLog[] = "log/enabled";
constexpr char kKeepLogDays[] = "log/keepDays";
constexpr char kAutoConnect[] = "session/autoConnect";
constexpr char kClearOnNewRoom[] = "overlay/clearOnNewRoom";

void notice(const QSettings& store, const char* what)
{
    std::fprintf(stderr, "zandrel: the settings in %s %s\n", qPrintable(store.fileName()), what);
}

// The integer under `key` if it is one within [low, high]; otherwise nothing (and `bad` is set
// when the key was there).
std::optional<int> integer(const QSettings& store, const char* key, int low, int high, bool& bad)
{
    if (!store.contains(QLatin1String(key)))
        return std::nullopt;
    bool ok = false;
    const int value = store.value(QLatin1String(key)).toString().toInt(&ok);
    if (!ok || value < low || value > high) {
        bad = true;
        return std::nullopt;
    }
    return value;
}

void flag(const QSettings& store, const char* key, bool& value, bool& bad)
{
    if (const auto number = integer(store, key, 0, 1, bad))
        value = *number == 1;
}

void text(const QSettings& store, const char* key, QString& value, int longest, bool& bad)
{
    if (!store.contains(QLatin1String(key)))
        return;
    const QString read = store.value(QLatin1String(key)).toString();
    if (read.size() > longest)
        bad = true;
    else
        value = read;
}

void colour(const QSettings& store, const char* key, QColor& value, bool& bad)
{
    if (!store.contains(QLatin1String(key)))
        return;
    const QColor read = QColor::fromString(store.value(QLatin1String(key)).toString());
    if (read.isValid())
        value = read;
    else
        bad = true;
}

void loadRules(const QSettings& store, AppSettings& settings, bool& bad)
{
    LineRuleSettings& rules = settings.rules;
    text(store, kBlockedSenders, rules.blockedSenders, AppSettings::kMaxListLength, bad);
    text(store, kBlockedKeywords, rules.blockedKeywords, AppSettings::kMaxListLength, bad);
    text(store, kHighlightedSenders, rules.highlightedSenders, AppSettings::kMaxListLength, bad);
    text(store, kHighlightedKeywords, rules.highlightedKeywords, AppSettings::kMaxListLength, bad);
    flag(store, kRegex, rules.keywordsAreRegex, bad);
    flag(store, kOnlyGifts, rules.onlyGiftsAndHighlights, bad);
    flag(store, kMerge, rules.mergeRepeats, bad);
    if (const auto seconds = integer(store, kMergeSeconds, 1, LineRuleSettings::kMaxMergeSeconds, bad))
        rules.mergeSeconds = *seconds;
    colour(store, kHighlightColour, settings.look.highlightColour, bad);
    flag(store, kGiftsStandOut, settings.look.giftsStandOut, bad);
    colour(store, kGiftColour, settings.look.giftColour, bad);
}

void loadSpeech(const QSettings& store, AppSettings& settings, bool& bad)
{
    SpeechSettings& speech = settings.speech;
    flag(store, kSpeech, speech.enabled, bad);
    if (const auto lines = integer(store, kSpeechLines, 0, 2, bad))
        speech.lines = static_cast<SpeechSettings::Lines>(*lines);
    text(store, kChatTemplate, speech.chatTemplate, 200, bad);
    text(store, kGiftTemplate, speech.giftTemplate, 200, bad);
    if (const auto cut = integer(store, kSpeechCut, 0, 1000, bad))
        speech.maxTextLength = *cut;
    text(store, kVoice, speech.voice, 200, bad);
    if (const auto rate = integer(store, kRate, -10, 10, bad))
        speech.rate = *rate;
    if (const auto volume = integer(store, kVolume, 0, 100, bad))
        speech.volume = *volume;
    if (const auto backlog = integer(store, kBacklog, 1, 600, bad))
        speech.maxBacklogSeconds = *backlog;
    text(store, kSpeechHotkey, settings.speechHotkey, 64, bad);
    flag(store, kChatLog, settings.chatLog, bad);
    if (const auto days = integer(store, kKeepLogDays, 1, AppSettings::kMaxKeepLogDays, bad))
        settings.keepLogDays = *days;
}

}  // namespace

int AppSettings::OpacityPercent() const { return static_cast<int>(std::lround(alpha * 100.0 / 255.0)); }

void AppSettings::SetOpacityPercent(int percent) { alpha = static_cast<int>(std::lround(percent * 255.0 / 100.0)); }

AppSettings LoadSettings(QSettings& store, QString* problem)
{
    AppSettings settings;
    if (problem)
        problem->clear();
    if (store.status() != QSettings::NoError) {
        const bool damaged = store.status() == QSettings::FormatError;
        notice(store, damaged ? "are damaged; using the defaults" : "cannot be read; using the defaults");
        if (problem)
            *problem = damaged ? kSettingsDamagedText : kSettingsUnreadableText;
        return settings;
    }
    bool bad = false;
    if (const auto size =
            integer(store, kFontSize, AppSettings::kMinFontPointSize, AppSettings::kMaxFontPointSize, bad))
        settings.fontPointSize = *size;
    if (const auto alpha = integer(store, kOpacity, AppSettings::kMinAlpha, 255, bad))
        settings.alpha = *alpha;
    const auto width = integer(store, kWidth, AppSettings::kMinOverlayWidth, AppSettings::kMaxOverlayWidth, bad);
    const auto height = integer(store, kHeight, AppSettings::kMinOverlayHeight, AppSettings::kMaxOverlayHeight, bad);
    if (width && height)
        settings.overlaySize = QSize(*width, *height);
    const auto x = integer(store, kX, -100000, 100000, bad);
    const auto y = integer(store, kY, -100000, 100000, bad);
    if (x && y)
        settings.overlayPosition = QPoint(*x, *y);
    if (store.contains(QLatin1String(kHotkey))) {
        const QString hotkey = store.value(QLatin1String(kHotkey)).toString();
        if (hotkey.isEmpty() || hotkey.size() > 64)
            bad = true;
        else
            settings.hotkey = hotkey;
    }
    const QString room = store.value(QLatin1String(kRoom)).toString();
    if (IsRoomNumberText(room))
        settings.lastRoom = room;
    else if (!room.isEmpty())
        bad = true;
    loadRules(store, settings, bad);
    loadSpeech(store, settings, bad);
    flag(store, kAutoConnect, settings.autoConnect, bad);
    flag(store, kClearOnNewRoom, settings.clearOnNewRoom, bad);
    if (bad) {
        notice(store, "hold values that make no sense; those are the defaults");
        if (problem)
            *problem = kSettingsBadValuesText;
    }
    return settings;
}

bool SaveSettings(QSettings& store, const AppSettings& settings)
{
    store.setValue(QLatin1String(kFontSize), settings.fontPointSize);
    store.setValue(QLatin1String(kOpacity), settings.alpha);
    if (settings.overlaySize) {
        store.setValue(QLatin1String(kWidth), settings.overlaySize->width());
        store.setValue(QLatin1String(kHeight), settings.overlaySize->height());
    }
    if (settings.overlayPosition) {
        store.setValue(QLatin1String(kX), settings.overlayPosition->x());
        store.setValue(QLatin1String(kY), settings.overlayPosition->y());
    }
    store.setValue(QLatin1String(kHotkey), settings.hotkey);
    store.setValue(QLatin1String(kRoom), settings.lastRoom);
    const auto set = [&](const char* key, const QVariant& value) { store.setValue(QLatin1String(key), value); };
    set(kBlockedSenders, settings.rules.blockedSenders);
    set(kBlockedKeywords, settings.rules.blockedKeywords);
    set(kHighlightedSenders, settings.rules.highlightedSenders);
    set(kHighlightedKeywords, settings.rules.highlightedKeywords);
    set(kRegex, int(settings.rules.keywordsAreRegex));
    set(kOnlyGifts, int(settings.rules.onlyGiftsAndHighlights));
    set(kMerge, int(settings.rules.mergeRepeats));
    set(kMergeSeconds, settings.rules.mergeSeconds);
    set(kHighlightColour, settings.look.highlightColour.name());
    set(kGiftsStandOut, int(settings.look.giftsStandOut));
    set(kGiftColour, settings.look.giftColour.name());
    set(kSpeech, int(settings.speech.enabled));
    set(kSpeechLines, static_cast<int>(settings.speech.lines));
    set(kChatTemplate, settings.speech.chatTemplate);
    set(kGiftTemplate, settings.speech.giftTemplate);
    set(kSpeechCut, settings.speech.maxTextLength);
    set(kVoice, settings.speech.voice);
    set(kRate, settings.speech.rate);
    set(kVolume, settings.speech.volume);
    set(kBacklog, settings.speech.maxBacklogSeconds);
    set(kSpeechHotkey, settings.speechHotkey);
    set(kChatLog, int(settings.chatLog));
    set(kKeepLogDays, settings.keepLogDays);
    set(kAutoConnect, int(settings.autoConnect));
    set(kClearOnNewRoom, int(settings.clearOnNewRoom));
    store.sync();
    // Only an access error is about the write: a format error is about the file as it was read,
    // and the store keeps telling it after writing the file whole.
    if (store.status() == QSettings::AccessError) {
        notice(store, "cannot be written; they are not kept");
        return false;
    }
    return true;
}

}  // namespace zandrel
