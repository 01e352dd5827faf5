#pragma once

#include <vector>

#include <QList>
#include <QLocale>
#include <QString>

namespace zandrel {

// A voice as the engine lists it: its name (what the engine finds it by) and its language, where
// the speech library could read the engine's language code (QLocale::C where it could not: Qt 6.4
// reads no three-letter code such as espeak-ng's "cmn" for Mandarin).
struct EngineVoice {
    QString name;
    QLocale locale;
};

// A voice as the settings page lists it: `name` is what the settings store and the engine finds
// the voice by again; `label` is what the streamer reads.
struct SpeechVoice {
    QString name;
    QString label;

    friend bool operator==(const SpeechVoice&, const SpeechVoice&) = default;
};
using SpeechVoices = QList<SpeechVoice>;

// How much of an engine's voice list the page shows: espeak-ng alone lists 131 languages, each in
// 101 variants, and a list of 13,000 entries is no choice at all.
constexpr qsizetype kMaxListedVoices = 300;
// Characters of a voice's name that its label shows.
constexpr qsizetype kMaxVoiceLabelName = 80;

// Which Chinese a voice speaks, in the order the list prefers it; None for any other language.
enum class ChineseSpeech { Mandarin, Chinese, Cantonese, Hakka, None };

// What a voice speaks, by its language where the library read it, otherwise by its name (the
// names espeak-ng gives: "Chinese (Mandarin, latin as English)", "Chinese (Cantonese)", "Hakka
// Chinese"; a variant follows a "+").
ChineseSpeech ChineseSpeechOf(const EngineVoice& voice);

// The voices in the order the page lists them, at most kMaxListedVoices: Chinese ones first
// (Mandarin, then other Chinese, Cantonese, Hakka), the engine's own voices before their variants,
// then the other languages' the same way; otherwise in the engine's order. Voices without a name
// and repeated names are left out. Each is labelled with its language and its name.
SpeechVoices ListedVoices(const std::vector<EngineVoice>& voices);

// The voice to speak with when the settings choose none: the first Chinese voice of the list's
// order, otherwise `engineDefault` (the engine's own choice, empty if it made none) where the engine
// lists it, otherwise the list's first voice. Empty when the engine lists no voice.
QString DefaultVoice(const std::vector<EngineVoice>& voices, const QString& engineDefault);

}  // namespace zandrel
