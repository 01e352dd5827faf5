// What reading an engine's voice list costs read-aloud's thread at start: the list espeak-ng gives
// through speech-dispatcher (131 languages, each with 101 variants, 13,362 voices) ordered, labelled
// and cut to what the settings page shows, and the default voice chosen from it.

#include <benchmark/benchmark.h>

#include <vector>

#include "speech/SpeechVoices.h"

namespace {

using namespace zandrel;

std::vector<EngineVoice> espeakVoices()
{
    std::vector<EngineVoice> voices;
    for (int i = 0; i < 131; ++i) {
        const QString language = i == 40   ? QStringLiteral("Chinese (Mandarin, latin as English)")
                                 : i == 90 ? QStringLiteral("Chinese (Cantonese)")
                                           : QStringLiteral("Language %1").arg(i);
        const QLocale locale = i % 2 ? QLocale::c() : QLocale(QLocale::German);
        voices.push_back({language, locale});
        for (int v = 0; v < 101; ++v)
            voices.push_back({language + QStringLiteral("+Variant%1").arg(v), locale});
    }
    return voices;
}

void ListedVoicesOfEspeakNg(benchmark::State& state)
{
    const std::vector<EngineVoice> voices = espeakVoices();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ListedVoices(voices));
        benchmark::DoNotOptimize(DefaultVoice(voices, QString()));
    }
    state.counters["voices"] = static_cast<double>(voices.size());
}
BENCHMARK(ListedVoicesOfEspeakNg)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
