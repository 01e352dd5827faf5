// Read-aloud against the system's real engine (speech-dispatcher with espeak-ng), heard through
// PulseAudio: with_audio.sh gives this test a PulseAudio of its own whose default sink is a null
// sink, and the test records that sink's monitor. Where a gift was read there is sound; where a
// blocked line came there is silence. It runs in a Chinese locale and in C: the engine speaks, and
// speaks Mandarin, in both. The speech server, which the engine starts on demand, is also killed
// mid-sentence (the next gift is heard once the engine is made again) and stopped (read-aloud's
// end does not wait for it).

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
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

// The null sink's monitor, recorded from Start on into a file of the test's own.
class CSinkRecording {
public:
    ~CSinkRecording()
    {
        m_recorder.terminate();
        m_recorder.waitForFinished(5000);
    }
    void Start()
    {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("ZANDREL_AUDIO_SINK")) << "run through with_audio.sh";
        m_recorder.setStandardOutputFile(m_path);
        m_clock.start();
        m_recorder.start(QStringLiteral("parec"),
                         {QStringLiteral("-d"), qEnvironmentVariable("ZANDREL_AUDIO_SINK") + QStringLiteral(".monitor"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                          QStringLiteral("--rate=%1").arg(kRate), QStringLiteral("--raw")});
        ASSERT_TRUE(m_recorder.waitForStarted(5000));
        // The recording begins once the sound server has taken the recorder in: from then on its
        // samples follow the clock, so the clock's time of a sample is its time in the file plus
        // the clock's time when the file began.
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(m_path).size() >= kRate; }, 10000));
        m_began = m_clock.elapsed() / 1000.0 - QFileInfo(m_path).size() / 2.0 / kRate;
    }
    // Seconds into the recording.
    double Now() const { return m_clock.elapsed() / 1000.0 - m_began; }
    // What it holds so far.
    std::vector<std::int16_t> Samples() const
    {
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        const QByteArray bytes = file.readAll();
        std::vector<std::int16_t> samples(static_cast<std::size_t>(bytes.size()) / 2);
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
        return samples;
    }

private:
    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("heard.raw"));
    QProcess m_recorder;
    QElapsedTimer m_clock;
    double m_began = 0;
};

TEST(RealSpeechEngine, AGiftIsHeardAndABlockedLineIsNot)
{
    CSinkRecording recording;
    ASSERT_NO_FATAL_FAILURE(recording.Start());

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
    const double blockedAt = recording.Now();
    overlay.AddBarrageMessage(ChatLine("捣乱的人", "这句话不应该被读出来，因为这个人被屏蔽了", LineKind::Chat));
    QTest::qWait(4000);
    const double giftAt = recording.Now();
    overlay.AddBarrageMessage(ChatLine("土豪", "送给主播10个仙豆", LineKind::Gift));
    QTest::qWait(5000);

    const std::vector<std::int16_t> samples = recording.Samples();
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

// The speech server that the engine started on demand for this test (with_audio.sh gives each run a
// runtime folder of its own, where the server keeps its process id). 0 while there is none.
pid_t speechServer()
{
    QFile file(qEnvironmentVariable("XDG_RUNTIME_DIR") +
               QStringLiteral("/speech-dispatcher/pid/speech-dispatcher.pid"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const pid_t pid = file.readAll().trimmed().toInt();
    return pid > 0 && kill(pid, 0) == 0 ? pid : 0;
}

// Read-aloud with every gift read, its engine started.
std::unique_ptr<CRoomFeatures> startedReadAloud()
{
    auto features = std::make_unique<CRoomFeatures>(QString());
    AppSettings settings;
    settings.speech.enabled = true;
    features->Apply(settings);
    if (!QTest::qWaitFor([&] { return features->ReadAloud()->IsStarted(); }, 60000))
        ADD_FAILURE() << "the engine did not start";
    else if (!features->SpeechProblem().isEmpty())
        ADD_FAILURE() << features->SpeechProblem().toStdString();
    return features;
}

PassedLine gift(const char16_t* name)
{
    ShownLine line;
    line.kind = LineKind::Gift;
    line.name = name;
    line.text = u"送给主播10个仙豆";
    return PassedLine{line, LineVerdict::Show, false};
}

TEST(RealSpeechEngine, AServerKilledMidSentenceIsToldAndTheNextGiftIsHeardOnceTheEngineIsMadeAgain)
{
    CSinkRecording recording;
    ASSERT_NO_FATAL_FAILURE(recording.Start());
    const std::unique_ptr<CRoomFeatures> features = startedReadAloud();
    ASSERT_FALSE(HasFailure());
    std::vector<QString> notices;
    QObject::connect(features.get(), &CRoomFeatures::speechNotice,
                     [&](const QString& text) { notices.push_back(text); });

    // Killed while the first gift is heard.
    const double firstAt = recording.Now();
    features->OnLines({gift(u"小明")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return loudest(recording.Samples(), firstAt, recording.Now()) > 1000; }, 20000));
    const pid_t server = speechServer();
    ASSERT_GT(server, 0);
    ASSERT_EQ(kill(server, SIGKILL), 0);
    features->OnLines({gift(u"土豪")});

    // Noticed when the engine is next asked to speak, once the first gift is given up on; told in
    // the status line until an engine made again speaks.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !features->SpeechNotice().isEmpty(); }, 60000));
    EXPECT_EQ(features->SpeechNotice(), CRoomFeatures::kSpeechLostText);
    ASSERT_TRUE(QTest::qWaitFor([&] { return features->SpeechNotice().isEmpty(); }, 120000));
    const double backAt = recording.Now();
    EXPECT_NE(speechServer(), 0);  // started again on demand
    EXPECT_NE(speechServer(), server);
    // The gift it failed on is the first thing the new engine says.
    const bool heard =
        QTest::qWaitFor([&] { return loudest(recording.Samples(), backAt, recording.Now()) > 1000; }, 20000);
    std::printf("after the engine was made again, loudest: %.0f\n",
                loudest(recording.Samples(), backAt, recording.Now()));
    EXPECT_TRUE(heard);
    EXPECT_EQ(notices, (std::vector<QString>{CRoomFeatures::kSpeechLostText, QString()}));
}

TEST(RealSpeechEngine, AStoppedServerHoldsABoundedBacklogAndNotReadAloudsEnd)
{
    std::unique_ptr<CRoomFeatures> features = startedReadAloud();
    ASSERT_FALSE(HasFailure());
    const pid_t server = speechServer();
    ASSERT_GT(server, 0);
    ASSERT_EQ(kill(server, SIGSTOP), 0);
    // Killed at the end, not continued, whatever fails: the thread left behind then returns from
    // the server and ends.
    const std::unique_ptr<const pid_t, void (*)(const pid_t*)> killed(&server,
                                                                      [](const pid_t* pid) { kill(*pid, SIGKILL); });
    // The first gift takes the speech thread into the stopped server; the rest wait for it.
    for (int i = 0; i < 5000; ++i) {
        features->OnLines({gift(u"观众")});
        if (i % 100 == 0)
            QCoreApplication::processEvents();
    }
    const CReadAloud& readAloud = *features->ReadAloud();
    EXPECT_LE(readAloud.CallsInFlight(), 1);
    EXPECT_LE(readAloud.Mailbox().Waiting(),
              static_cast<std::size_t>(SpeechSettings::kDefaultMaxBacklogSeconds / CSpeakingTime::kPause));
    // Its end waits a bounded time by design, and leaves the stuck thread to the process's end.
    static_assert(CReadAloud::kStopWaitMs < 1000);
    const std::size_t leftBefore = CReadAloud::ThreadsLeftBehind();
    features.reset();
    EXPECT_EQ(CReadAloud::ThreadsLeftBehind(), leftBefore + 1);
}

}  // namespace
}  // namespace zandrel
