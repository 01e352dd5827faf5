#pragma once

#include <QString>

namespace zandrel {

// What the streamer wants read aloud, and how. Off by default.
struct SpeechSettings {
    enum class Lines { Gifts, GiftsAndHighlights, All };
    static inline const QString kDefaultChatTemplate = QStringLiteral("{name}说：{text}");
    static inline const QString kDefaultGiftTemplate = QStringLiteral("感谢{name}的礼物");
    static constexpr int kDefaultMaxTextLength = 40;
    static constexpr int kDefaultMaxBacklogSeconds = 20;

    bool enabled = false;
    Lines lines = Lines::Gifts;
    QString chatTemplate = kDefaultChatTemplate;  // for chat and highlighted lines
    QString giftTemplate = kDefaultGiftTemplate;
    int maxTextLength = kDefaultMaxTextLength;  // characters of a line's text that are read
    QString voice;                              // empty: the engine's voice for Chinese
    int rate = 0;                               // -10 (slow) to 10 (fast)
    int volume = 80;                            // 0 to 100
    int maxBacklogSeconds = kDefaultMaxBacklogSeconds;

    friend bool operator==(const SpeechSettings&, const SpeechSettings&) = default;
};

}  // namespace zandrel
