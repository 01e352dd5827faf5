// Read-aloud against the system's real engine (speech-dispatcher with espeak-ng), heard through
// PulseAudio: with_audio.sh gives this test a PulseAudio of its own whose default sink is a null
// sink, and the test records that sink's monitor. Where a gift was read there is sound; where a
// blocked line came there is silence. It runs in a Chinese locale and in C: the engine speaks, and
// speaks Mandarin, in both.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/RoomFeatures.h"
#include "overlay/BubbleDlg.h"
#include "support/ChatLines.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

constexpr int kRate = 16000;  // samples a second, mono

using test::ChatLine;

// The loudest tenth of a second (root mean square) between `from` and `to` seconds of `samples`.
double loudest(const std::vector<std::int16_t>& samples, double from, double to)
{
    double loudest = 0;
    const std::size_t window = kRate / 10;
    for (std::size_t start = static_cast<std::size_t>(std::max(0.0, from) * kRate);
         start + window <= samples.size() && start < to * kRate; start += window / 2) {
        double sum = 0;
        for (std::size_t i = start; i < start + window; ++i)
            sum += static_cast<double>(samples[i]) * samples[i];
        loudest = std::max(loudest, std::sqrt(sum / window));
    }
    return loudest;
}

// How long there was sound between `from` and `to` seconds: from the first tenth of a second louder
// than `threshold` to the last.
double heardFor(const std::vector<std::int16_t>& samples, double from, double to, double threshold)
{
    double first = -1;
    double last = -1;
    for (double at = from; at + 0.1 <= to; at += 0.05) {
        if (loudest(samples, at, at + 0.01) > threshold) {
            if (first < 0)
                first = at;
            last = at + 0.1;
        }
    }
    return first < 0 ? 0 : last - first;
}

TEST(RealSpeechEngine, AGiftIsHeardAndABlockedLineIsNot)
{
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("ZANDREL_AUDIO_SINK")) << "run through with_audio.sh";
    QTemporaryDir dir;
    const QString recording = dir.filePath(QStringLiteral("heard.raw"));
    QProcess recorder;
    recorder.setStandardOutputFile(recording);
    QElapsedTimer clock;
    clock.start();
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("-d"), qEnvironmentVariable("ZANDREL_AUDIO_SINK") + QStringLiteral(".monitor"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                    QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--raw")});
    ASSERT_TRUE(recorder.waitForStarted(5000));
    // The recording begins once the sound server has taken the recorder in: from then on its
    // samples follow the clock, so the clock's time of a sample is its time in the file plus the
    // clock's time when the file began.
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(recording).size() >= kRate; }, 10000));
    const double recordingBegan = clock.elapsed() / 1000.0 - QFileInfo(recording).size() / 2.0 / kRate;

    CBubbleDlg overlay;
    CRoomFeatures features{QString()};
    AppSettings settings;
    settings.speech.enabled = true;
    settings.speech.lines = SpeechSettings::Lines::All;
    settings.rules.blockedSenders = QStringLiteral("捣乱的人");
    overlay.SetLineRules(settings.rules, settings.look);
    features.Apply(settings);
    overlay.SetLineListener([&](const std::vector<PassedLine>& lines) { features.OnLines(lines); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return features.ReadAloud()->IsStarted(); }, 20000));
    ASSERT_TRUE(features.SpeechProblem().isEmpty()) << features.SpeechProblem().toStdString();
    // The settings page's list: espeak-ng's Mandarin first, by a name a Chinese streamer reads, and a
    // list one can choose from.
    const SpeechVoices voices = features.Voices();
    ASSERT_FALSE(voices.isEmpty());
    EXPECT_LE(voices.size(), kMaxListedVoices);
    EXPECT_TRUE(voices.front().label.startsWith(QStringLiteral("普通话"))) << voices.front().label.toStdString();
    EXPECT_TRUE(features.IsSpeechReady());

    // The engine is up; a second of quiet, the blocked line, four seconds, the gift, five seconds.
    QTest::qWait(1000);
    const double blockedAt = clock.elapsed() / 1000.0 - recordingBegan;
    overlay.AddBarrageMessage(ChatLine("捣乱的人", "这句话不应该被读出来，因为这个人被屏蔽了", LineKind::Chat));
    QTest::qWait(4000);
    const double giftAt = clock.elapsed() / 1000.0 - recordingBegan;
    overlay.AddBarrageMessage(ChatLine("土豪", "送给主播10个仙豆", LineKind::Gift));
    QTest::qWait(5000);
    recorder.terminate();
    recorder.waitForFinished(5000);

    QFile file(recording);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    ASSERT_GT(samples.size(), static_cast<std::size_t>(8 * kRate));
    const double quiet = loudest(samples, blockedAt, giftAt - 0.2);
    const double spoken = loudest(samples, giftAt, giftAt + 4.5);
    const double seconds = heardFor(samples, giftAt, giftAt + 5, 300);
    std::printf("loudest while the blocked line came: %.0f; after the gift: %.0f, heard for %.1f s\n", quiet, spoken,
                seconds);
    EXPECT_LT(quiet, 100.0);
    EXPECT_GT(spoken, 1000.0);
    // In Mandarin "感谢土豪的礼物" takes espeak-ng under three seconds; a voice without Chinese
    // spells the seven characters out for five or more.
    EXPECT_LT(seconds, 4.0);
}

}  // namespace
}  // namespace zandrel
