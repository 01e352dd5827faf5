#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "speech/SpeechSettings.h"
#include "speech/SpeechVoices.h"

namespace zandrel {

// Something that reads text aloud, one text at a time. It lives on the reader's thread and is used
// only there.
class ISpeechEngine {
public:
    virtual ~ISpeechEngine() = default;
    // Empty when the engine can speak; otherwise why not, as the settings box says it.
    virtual QString Problem() const = 0;
    // The voices the settings page offers, in its order (SpeechVoices.h).
    virtual SpeechVoices Voices() const = 0;
    virtual void Configure(const SpeechSettings& settings) = 0;
    virtual void Say(const QString& text) = 0;
    virtual void Stop() = 0;

    // Set by the reader. `onDone` follows each Say once it has ended, read or not: `whole` when the
    // engine said it ended the text, so that the time it took is the text's (not when it was
    // stopped, given up on or failed). `onProblem` tells that the engine stopped working.
    std::function<void(bool whole)> onDone;
    std::function<void(const QString&)> onProblem;
};

// The system's speech: Qt's text-to-speech with the speech-dispatcher engine where there is one,
// otherwise any engine that is there, speaking Chinese where it has a Chinese voice and otherwise
// with the engine's own voice, whatever the system's locale.
std::unique_ptr<ISpeechEngine> CreateSystemSpeechEngine();

}  // namespace zandrel
