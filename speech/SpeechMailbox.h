#pragma once

#include <cstddef>
#include <mutex>
#include <optional>
#include <vector>

#include "speech/SpeakingTime.h"
#include "speech/SpeechQueue.h"
#include "speech/SpeechSettings.h"

namespace zandrel {

// What the UI thread leaves for the speech thread: lines to read, the latest settings, the pause,
// and whether the lines waiting there go. Both threads hold it (it outlives whichever ends first),
// one mutex guards it. The UI thread puts; the reader takes everything at once when it is woken.
//
// However long the reader stays away (an engine stuck inside a call), what waits here is bounded:
// lines by the same spoken-backlog rule as the reader's own queue, settings and pauses by keeping
// only what the reader needs of them, and wake-ups by one at most on its way to the reader.
class CSpeechMailbox {
public:
    // Everything put since the last take, in the order the reader applies it.
    struct Mail {
        bool clear = false;                      // the reader's waiting lines go first
        std::optional<SpeechSettings> settings;  // the latest
        bool pausedSince = false;                // a pause came: the line being read ends
        std::optional<bool> paused;              // the latest pause state
        std::vector<SpeechItem> items;           // to read, in order, after the above
    };

    explicit CSpeechMailbox(double maxBacklogSeconds = SpeechSettings::kDefaultMaxBacklogSeconds)
        : m_items(maxBacklogSeconds)
    {}

    // UI thread. Each returns true when the reader has to be woken: no wake-up is on its way.
    bool PutItems(std::vector<SpeechItem> items);
    bool PutSettings(const SpeechSettings& settings);
    bool PutPaused(bool paused);
    // Drops the lines waiting here at once, and tells the reader to drop its own.
    bool PutClear();

    // Speech thread: everything put since the last take. The next put wakes the reader again.
    Mail Take();
    // Speech thread: the engine's pace as the reader has learned it, which estimates the lines
    // that wait here.
    void SetSpeakingTime(const CSpeakingTime& time);

    // Either thread.
    std::size_t Waiting() const;
    std::size_t Dropped() const;

private:
    bool WakeUp();  // under the lock

    mutable std::mutex m_mutex;
    CSpeechQueue m_items;
    CSpeakingTime m_time;
    Mail m_mail;  // its items are m_items'
    bool m_wakeUpPending = false;
};

}  // namespace zandrel
