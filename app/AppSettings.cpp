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

}  // namespace

int AppSettings::OpacityPercent() const { return static_cast<int>(std::lround(alpha * 100.0 / 255.0)); }

void AppSettings::SetOpacityPercent(int percent) { alpha = static_cast<int>(std::lround(percent * 255.0 / 100.0)); }

AppSettings LoadSettings(QSettings& store)
{
    AppSettings settings;
    if (store.status() != QSettings::NoError) {
        notice(store, "cannot be read; using the defaults");
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
    if (bad)
        notice(store, "hold values that make no sense; those are the defaults");
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
    store.sync();
    if (store.status() != QSettings::NoError) {
        notice(store, "cannot be written; they are not kept");
        return false;
    }
    return true;
}

}  // namespace zandrel
