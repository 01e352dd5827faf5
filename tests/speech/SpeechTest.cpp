#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QSignalSpy>

#include "app/SpeechPage.h"
#include "speech/ReadAloud.h"
#include "speech/SpeechText.h"
#include "speech/SpeechVoices.h"
#include "support/ParamNames.h"
#include "support/Watchdog.h"

namespace zandrel {
namespace {

struct TextCase {
    const char* label;
    QString pattern, name, text;
    int maxLength;
    QString expected;
};

const std::vector<TextCase> kTexts = {
    {"chat", "{name}说：{text}", "张三", "主播好", 40, "张三说：主播好"},
    {"gift", "感谢{name}的礼物", "土豪", "送给主播10个仙豆", 40, "感谢土豪的礼物"},
    {"links are not read", "{text}", "a", "看 http://example.com/a?b=1 这里", 40, "看 这里"},
    {"https links neither", "{text}", "a", "HTTPS://x.y/z", 40, ""},
    {"emoticon tags are not read", "{name}说：{text}", "a", "[表情][表情]来了", 40, "a说：来了"},
    {"a text of only tags says nothing", "{name}说：{text}", "a", "[表情] http://x", 40, ""},
    {"a long text is cut", "{text}", "a", "一二三四五六七八九十", 4, "一二三四"},
    {"a cut never splits a pair", "{text}", "a", "ab\U0001F600c", 3, "ab"},
    {"no cut", "{text}", "a", "一二三四五六七八九十", 0, "一二三四五六七八九十"},
    {"line breaks read as spaces", "{text}", "a", "one\ntwo\u2028three", 40, "one two three"},
};

class SpokenTextTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(SpokenTextTable, WhatIsRead)
{
    const TextCase& c = GetParam();
    EXPECT_EQ(SpokenText(c.pattern, c.name, c.text, c.maxLength), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, SpokenTextTable, ::testing::ValuesIn(kTexts),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

SpeechItem chat(const char* text, double seconds = 2) { return {text, false, seconds}; }
SpeechItem gift(const char* text, double seconds = 2) { return {text, true, seconds}; }

std::vector<QString> drain(CSpeechQueue& queue)
{
    std::vector<QString> texts;
    while (const auto item = queue.Start()) {
        texts.push_back(item->text);
        queue.Finished();
    }
    return texts;
}

TEST(SpeechQueue, AFloodDropsOldChatFirstAndNeverExceedsTheBacklog)
{
    CSpeechQueue queue(10);
    for (const SpeechItem& item : {chat("c1"), gift("g1"), chat("c2"), chat("c3"), gift("g2")})
        EXPECT_TRUE(queue.Push(item));
    EXPECT_DOUBLE_EQ(queue.Backlog(), 10);
    EXPECT_TRUE(queue.Push(gift("g3")));   // the oldest chat line goes
    EXPECT_TRUE(queue.Push(chat("c4")));   // the next oldest chat line goes
    EXPECT_TRUE(queue.Push(gift("g4")));   // and the next
    EXPECT_TRUE(queue.Push(chat("c5")));   // a new chat line takes the place of the older one
    EXPECT_TRUE(queue.Push(gift("g5")));   // which goes before a gift does
    EXPECT_FALSE(queue.Push(chat("c6")));  // only gifts wait: a chat line does not fit
    EXPECT_TRUE(queue.Push(gift("g6")));   // a gift drops the oldest gift
    EXPECT_LE(queue.WorstBacklog(), 10);
    EXPECT_EQ(queue.Dropped(), 7u);
    EXPECT_EQ(drain(queue), (std::vector<QString>{"g2", "g3", "g4", "g5", "g6"}));
}

TEST(SpeechQueue, TheLineBeingReadCountsAndIsNeverDropped)
{
    CSpeechQueue queue(5);
    ASSERT_TRUE(queue.Push(chat("long", 4)));
    ASSERT_EQ(queue.Start()->text, "long");
    EXPECT_FALSE(queue.Push(chat("c", 2)));  // 4 being read + 2 > 5
    EXPECT_TRUE(queue.Push(chat("short", 1)));
    EXPECT_FALSE(queue.Push(gift("g", 2)));  // drops "short", still over: dropped itself
    queue.Finished();
    EXPECT_DOUBLE_EQ(queue.Backlog(), 0);
}

// An engine that records what it is asked and ends a text when the test says so. Killed, it fails
// as Qt's speech-dispatcher engine does when its server is gone: nothing at once, then each Say
// fails with a problem.
class FakeEngine : public ISpeechEngine {
public:
    explicit FakeEngine(QString problem = {}) : m_problem(std::move(problem)) {}
    QString Problem() const override { return m_problem; }
    SpeechVoices Voices() const override { return {{"v1", "v1"}}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString& text) override
    {
        said.push_back(text);
        m_saying = true;
        if (m_killed)
            Fail();
    }
    void Stop() override
    {
        ++stops;
        End(false);
    }
    void Finish() { End(true); }
    // The engine gave up waiting for the end of the text.
    void GiveUp() { End(false); }
    void Kill() { m_killed = true; }
    std::vector<QString> said;
    int stops = 0;

private:
    void End(bool whole)
    {
        m_saying = false;
        onDone(whole);
    }
    void Fail()
    {
        m_problem = QStringLiteral("语音引擎无法使用：Text synthesizing failure.");
        onProblem(m_problem);
        End(false);
    }
    QString m_problem;
    bool m_saying = false;
    bool m_killed = false;
};

TEST(SpeechReader, ReadsOneLineAtATimeAndPauseHoldsTheRest)
{
    FakeEngine* engine = nullptr;
    CSpeechReader reader([&] {
        auto made = std::make_unique<FakeEngine>();
        engine = made.get();
        return made;
    });
    reader.Start();
    reader.Speak({chat("a"), gift("b"), chat("c")});
    EXPECT_EQ(engine->said, (std::vector<QString>{"a"}));
    engine->Finish();
    EXPECT_EQ(engine->said, (std::vector<QString>{"a", "b"}));
    reader.SetPaused(true);  // "b" is cut short; "c" waits
    EXPECT_EQ(engine->stops, 1);
    EXPECT_EQ(engine->said.size(), 2u);
    reader.SetPaused(false);
    EXPECT_EQ(engine->said, (std::vector<QString>{"a", "b", "c"}));
}

TEST(SpeechReader, LearnsHowLongTheEngineTakesAndBoundsTheBacklogByIt)
{
    double now = 0;
    FakeEngine* engine = nullptr;
    CSpeechReader reader([&] {
        auto made = std::make_unique<FakeEngine>();
        engine = made.get();
        return made;
    });
    reader.SetClock([&] { return now; });
    reader.Start();
    SpeechSettings settings;
    settings.maxBacklogSeconds = 20;
    reader.Configure(settings);
    const char* ten = "一二三四五六七八九十";
    // A line cut short by a pause teaches nothing.
    reader.Speak({chat(ten)});
    now += 1;
    reader.SetPaused(true);
    reader.SetPaused(false);
    EXPECT_DOUBLE_EQ(reader.SpeakingTime().PerCharacter(), 0.2);
    // The engine takes a second a character: ten characters and the pause, 10.3 s.
    reader.Speak({chat(ten)});
    now += 10.3;
    engine->Finish();
    EXPECT_NEAR(reader.SpeakingTime().PerCharacter(), 1.0, 1e-9);
    // Nor does a line the engine gave up waiting for: its end was never heard.
    reader.Speak({chat(ten)});
    now += 15;
    engine->GiveUp();
    EXPECT_NEAR(reader.SpeakingTime().PerCharacter(), 1.0, 1e-9);
    // Three such lines: the first is read, the second would take the backlog to 20.6 s and goes,
    // and so does the third. At the first guess (2.3 s each) all three would have fitted.
    reader.Speak({chat(ten), chat(ten), chat(ten)});
    EXPECT_EQ(reader.Queue().Waiting(), 0u);
    EXPECT_EQ(reader.Queue().Dropped(), 2u);
    EXPECT_LE(reader.Queue().WorstBacklog(), 20.0);
}

TEST(SpeechReader, AnEngineThatCannotSpeakIsToldAndTakesNothing)
{
    FakeEngine* engine = nullptr;
    CSpeechReader reader([&] {
        auto made = std::make_unique<FakeEngine>("没有可用的语音引擎");
        engine = made.get();
        return made;
    });
    QSignalSpy status(&reader, &CSpeechReader::engineStatus);
    reader.Start();
    reader.Speak({gift("g")});
    ASSERT_EQ(status.size(), 1);
    EXPECT_EQ(status[0][0].toString(), "没有可用的语音引擎");
    EXPECT_TRUE(engine->said.empty());
    EXPECT_EQ(reader.Queue().Waiting(), 0u);
}

TEST(ReadAloud, AnEngineThatTakesLongToStartHoldsNeitherTheCallerNorItsLines)
{
    // The engine's start waits until the test lets it go: were it made on the caller's thread,
    // the constructor would never return and the test would hang.
    std::promise<void> letGo;
    std::shared_future<void> released = letGo.get_future().share();
    std::promise<FakeEngine*> made;
    CReadAloud readAloud([&, released] {
        released.wait();
        auto engine = std::make_unique<FakeEngine>();
        made.set_value(engine.get());
        return engine;
    });
    readAloud.Speak({gift("g1")});
    readAloud.Speak({chat("c1")});
    letGo.set_value();
    FakeEngine* engine = made.get_future().get();
    QSignalSpy status(&readAloud, &CReadAloud::engineStatus);
    ASSERT_TRUE(status.wait(5000));
    EXPECT_TRUE(readAloud.Problem().isEmpty());
    EXPECT_EQ(readAloud.Voices(), (SpeechVoices{{"v1", "v1"}}));
    (void)engine;  // what it said is the reader's business on its own thread
}

struct LearnCase {
    const char* label;
    std::vector<std::pair<int, double>> heard;  // characters and seconds, in turn
    double perCharacter;                        // what is then thought of each character
};

const std::vector<LearnCase> kLearning = {
    {"the guess before anything is heard", {}, 0.2},
    {"the first measure replaces the guess", {{10, 10.3}}, 1.0},
    {"a second one moves it halfway", {{10, 10.3}, {10, 5.3}}, 0.75},
    {"one odd line does not swing it", {{10, 2.3}, {10, 2.3}, {10, 30.3}}, 1.6},
    {"a line of nothing teaches nothing", {{10, 10.3}, {0, 5.0}, {10, 0.0}}, 1.0},
    {"a measure is kept within bounds", {{1, 100.0}}, 3.0},
};

class SpeakingTimeTable : public ::testing::TestWithParam<LearnCase> {};

TEST_P(SpeakingTimeTable, LearnsFromWhatTheEngineTook)
{
    const LearnCase& c = GetParam();
    CSpeakingTime time;
    for (const auto& [characters, seconds] : c.heard)
        time.Learn(characters, seconds);
    EXPECT_NEAR(time.PerCharacter(), c.perCharacter, 1e-9);
    // A new rate starts from its guess again.
    time.SetRate(10);
    EXPECT_NEAR(time.PerCharacter(), 0.1, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Table, SpeakingTimeTable, ::testing::ValuesIn(kLearning),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

// What the UI thread leaves in the mailbox while the reader is away reaches the engine as the same
// calls one by one would have.
struct MailCase {
    const char* label;
    std::function<void(CSpeechMailbox&)> put;  // while "a" is being read and "w" waits
    std::vector<QString> said;                 // in all, once each line is finished
    int stops;                                 // lines stopped
};

const std::vector<MailCase> kMail = {
    {"lines in order",
     [](CSpeechMailbox& m) {
         m.PutItems({chat("b"), gift("c")});
     },
     {"a", "w", "b", "c"},
     0},
    {"a clear drops what waits and what came before it, not after",
     [](CSpeechMailbox& m) {
         m.PutItems({chat("b")});
         m.PutClear();
         m.PutItems({chat("c")});
     },
     {"a", "c"},
     0},
    {"a pause and a resume together still end the line being read",
     [](CSpeechMailbox& m) {
         m.PutItems({chat("b")});
         m.PutPaused(true);
         m.PutPaused(false);
     },
     {"a", "w", "b"},
     1},
    {"a pause holds what comes after it",
     [](CSpeechMailbox& m) {
         m.PutPaused(true);
         m.PutItems({chat("b")});
     },
     {"a"},
     1},
};

void PrintTo(const MailCase& c, std::ostream* out) { *out << c.label; }

class MailTable : public ::testing::TestWithParam<MailCase> {};

TEST_P(MailTable, ReachesTheEngineInOrder)
{
    const MailCase& c = GetParam();
    auto mailbox = std::make_shared<CSpeechMailbox>();
    FakeEngine* engine = nullptr;
    CSpeechReader reader(
        [&] {
            auto made = std::make_unique<FakeEngine>();
            engine = made.get();
            return made;
        },
        mailbox);
    reader.Start();
    // One wake-up for all of it: the second put finds one on its way.
    EXPECT_TRUE(mailbox->PutItems({chat("a"), chat("stale")}));
    EXPECT_FALSE(mailbox->PutClear());
    EXPECT_FALSE(mailbox->PutItems({chat("a"), chat("w")}));
    reader.ReadMail();
    ASSERT_EQ(engine->said, (std::vector<QString>{"a"}));
    ASSERT_EQ(reader.Queue().Waiting(), 1u);
    c.put(*mailbox);
    reader.ReadMail();
    for (std::size_t i = 0; i < c.said.size(); ++i)
        engine->Finish();  // once nothing is read, a finish is nothing
    EXPECT_EQ(engine->said, c.said);
    EXPECT_EQ(engine->stops, c.stops);
    EXPECT_EQ(mailbox->Waiting(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Table, MailTable, ::testing::ValuesIn(kMail),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

// An engine stuck inside Say until the test lets it go, as Qt's engine is inside a call to a
// speech server that was stopped (SIGSTOP). It lives on the speech thread; the test sees it
// through what they share.
struct Hang {
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;  // the speech thread is inside Say
    bool released = false;
    bool destroyed = false;
    int said = 0;
    template <typename Condition> bool WaitFor(Condition condition)
    {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(30), condition);
    }
};

class HangingEngine : public ISpeechEngine {
public:
    explicit HangingEngine(std::shared_ptr<Hang> hang) : m_hang(std::move(hang)) {}
    ~HangingEngine() override
    {
        std::lock_guard lock(m_hang->mutex);
        m_hang->destroyed = true;
        m_hang->changed.notify_all();
    }
    QString Problem() const override { return {}; }
    SpeechVoices Voices() const override { return {}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString&) override
    {
        std::unique_lock lock(m_hang->mutex);
        ++m_hang->said;
        m_hang->entered = true;
        m_hang->changed.notify_all();
        m_hang->changed.wait(lock, [&] { return m_hang->released; });
    }
    void Stop() override {}

private:
    std::shared_ptr<Hang> m_hang;
};

TEST(ReadAloud, AnEngineStuckInACallHoldsABoundedBacklogAndNotTheStop)
{
    test::CWatchdog watchdog(std::chrono::seconds(60), "read-aloud's stop with its engine stuck in a call");
    auto hang = std::make_shared<Hang>();
    auto readAloud = std::make_unique<CReadAloud>([hang] { return std::make_unique<HangingEngine>(hang); });
    SpeechSettings settings;
    settings.maxBacklogSeconds = 20;
    readAloud->Configure(settings);
    readAloud->Speak({gift("感谢第一位的礼物")});
    ASSERT_TRUE(hang->WaitFor([&] { return hang->entered; }));

    // A long evening of gifts, settings and pauses while the engine does not come back.
    const SpeechItem line = gift("感谢观众12345的礼物");
    for (int i = 0; i < 20000; ++i) {
        readAloud->Speak({line});
        if (i % 1000 == 0) {
            readAloud->Configure(settings);
            readAloud->SetPaused(i % 2000 == 0);
            QCoreApplication::processEvents();
        }
    }
    // One wake-up waits for the reader, whatever came, and no more lines than the backlog holds.
    EXPECT_LE(readAloud->CallsInFlight(), 1);
    const auto bound = static_cast<std::size_t>(settings.maxBacklogSeconds / CSpeakingTime().Seconds(line.text));
    EXPECT_GT(readAloud->Mailbox().Waiting(), 0u);
    EXPECT_LE(readAloud->Mailbox().Waiting(), bound);
    EXPECT_GE(readAloud->Dropped(), 20000u - bound);

    // The stop waits a bounded time by design, then leaves the thread to the process's end.
    static_assert(CReadAloud::kStopWaitMs < 1000);
    const std::size_t leftBefore = CReadAloud::ThreadsLeftBehind();
    readAloud.reset();
    EXPECT_EQ(CReadAloud::ThreadsLeftBehind(), leftBefore + 1);
    // Once the engine returns, the thread ends by itself and frees what it had, touching nothing
    // of the read-aloud that is gone (the sanitizers would say so).
    {
        std::lock_guard lock(hang->mutex);
        hang->released = true;
        hang->changed.notify_all();
    }
    EXPECT_TRUE(hang->WaitFor([&] { return hang->destroyed; }));
    EXPECT_EQ(hang->said, 1);
}

// The engine's speech server is killed while it reads a line. Nothing shows until the next Say
// fails; then the engine is lost, told once, and made again, after a longer wait each time a new
// one fails to start; the line it failed on is read first by the one that speaks.
TEST(SpeechReader, ALostEngineIsToldOnceAndMadeAgainWithABackOff)
{
    std::vector<FakeEngine*> engines;
    std::vector<std::chrono::milliseconds> waits;  // before each engine made again
    // The first engine and, after each loss, three that fail to start and one that speaks.
    const std::vector<QString> starts = {"", "x", "x", "x", "", "", ""};
    CSpeechReader* readerOf = nullptr;
    CSpeechReader reader([&] {
        const std::size_t made = engines.size();
        if (made > 0)
            waits.push_back(readerOf->RemakeDelay());
        auto engine = std::make_unique<FakeEngine>(made < starts.size() ? starts[made] : QString());
        engines.push_back(engine.get());
        return engine;
    });
    readerOf = &reader;
    using std::chrono::milliseconds;
    reader.SetRemakeDelays(milliseconds(10), milliseconds(30));
    QSignalSpy lost(&reader, &CSpeechReader::engineLost);
    QSignalSpy back(&reader, &CSpeechReader::engineBack);
    reader.Start();
    reader.Speak({gift("g1"), gift("g2")});
    engines[0]->Kill();  // mid-sentence: no word of it
    EXPECT_EQ(lost.size(), 0);
    engines[0]->GiveUp();  // "g1" is given up on; "g2" fails
    ASSERT_EQ(lost.size(), 1);
    EXPECT_EQ(lost[0][0].toString().toStdString(), "语音引擎无法使用：Text synthesizing failure.");
    EXPECT_TRUE(reader.IsReconnecting());
    EXPECT_EQ(engines[0]->said, (std::vector<QString>{"g1", "g2"}));
    reader.Speak({chat("c3")});  // waits, bounded as ever
    EXPECT_EQ(reader.Queue().Waiting(), 2u);

    ASSERT_TRUE(back.wait(5000));
    EXPECT_EQ(lost.size(), 1);  // told once, however many tries it took
    EXPECT_EQ(back.size(), 1);
    EXPECT_FALSE(reader.IsReconnecting());
    ASSERT_EQ(engines.size(), 5u);
    EXPECT_EQ(waits,
              (std::vector<milliseconds>{milliseconds(10), milliseconds(20), milliseconds(30), milliseconds(30)}));
    FakeEngine* again = engines.back();
    EXPECT_EQ(again->said, (std::vector<QString>{"g2"}));
    again->Finish();
    EXPECT_EQ(again->said, (std::vector<QString>{"g2", "c3"}));
    again->Finish();

    // Lost again: told again, and the back-off starts over.
    again->Kill();
    reader.Speak({gift("g4")});
    EXPECT_EQ(lost.size(), 2);
    ASSERT_TRUE(back.wait(5000));
    EXPECT_EQ(waits.back(), milliseconds(10));
    EXPECT_EQ(engines.back()->said, (std::vector<QString>{"g4"}));
}

// Voices as speech-dispatcher's espeak-ng lists them through Qt 6.4: Chinese ones under no
// language (Qt reads no "cmn", "yue" or "hak"), variants after a "+".
const QLocale kNoLanguage = QLocale::c();
EngineVoice voice(const QString& name, const QLocale& locale = kNoLanguage) { return {name, locale}; }
const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kAmerican(QLocale::English, QLocale::UnitedStates);

struct VoiceListCase {
    const char* label;
    std::vector<EngineVoice> voices;  // in the engine's order
    QString engineDefault;            // the voice the engine chose itself, if any
    QStringList labels;               // as the page lists them
    QString defaultVoice;             // what is spoken with when the settings choose none
};

const std::vector<VoiceListCase> kVoiceLists = {
    {"espeak-ng: Chinese first, its voices before their variants",
     {voice("Afrikaans", QLocale(QLocale::Afrikaans)), voice("Chinese (Cantonese)"),
      voice("Chinese (Mandarin, latin as English)+Alicia"), voice("Chinese (Mandarin, latin as English)"),
      voice("English (America)", kAmerican), voice("English (America)+Adam", kAmerican), voice("German", kGerman),
      voice("Hakka Chinese"), voice("Bishnupriya Manipuri")},
     "English (America)",
     {"普通话 · Chinese (Mandarin, latin as English)", "粤语 · Chinese (Cantonese)", "客家话 · Hakka Chinese",
      "普通话 · Chinese (Mandarin, latin as English) · Alicia", "Afrikaans", "English (America)", "German",
      "Bishnupriya Manipuri", "English (America) · Adam"},
     "Chinese (Mandarin, latin as English)"},
    {"Chinese the library could read",
     {voice("Anna", kGerman), voice("sinji", QLocale(QLocale::Cantonese, QLocale::HongKong)),
      voice("xiaoyan", QLocale(QLocale::Chinese, QLocale::China))},
     "Anna",
     {"中文 · xiaoyan", "粤语 · sinji", "Deutsch · Anna"},
     "xiaoyan"},
    {"no Chinese voice: the engine's own",
     {voice("German", kGerman), voice("English (America)", kAmerican)},
     "English (America)",
     {"German", "English (America)"},
     "English (America)"},
    {"no Chinese voice and the engine's own not among its voices: the first",
     {voice("German", kGerman), voice("English (America)", kAmerican)},
     "Klingon",
     {"German", "English (America)"},
     "German"},
    {"no Chinese voice and none chosen by the engine: the first",
     {voice("German", kGerman), voice("English (America)", kAmerican)},
     QString(),
     {"German", "English (America)"},
     "German"},
    {"no voice at all", {}, QString(), {}, QString()},
    {"names from the engine are shown on one bounded line, once each",
     {voice(""), voice("a\nb\u202Ec\td"), voice("a\nb\u202Ec\td"), voice(QString(1000, u'x') + "+Adam")},
     QString(),
     {"a b c d", QString(kMaxVoiceLabelName - 1, u'x') + u'…' + " · Adam"},
     "a\nb\u202Ec\td"},
};

void PrintTo(const VoiceListCase& c, std::ostream* out) { *out << c.label; }

class VoiceListTable : public ::testing::TestWithParam<VoiceListCase> {};

TEST_P(VoiceListTable, OrderLabelsAndDefault)
{
    const VoiceListCase& c = GetParam();
    const SpeechVoices listed = ListedVoices(c.voices);
    QStringList labels;
    for (const SpeechVoice& v : listed)
        labels.push_back(v.label);
    EXPECT_EQ(labels.join(u'\n').toStdString(), c.labels.join(u'\n').toStdString());
    // Each entry is found again by the name the settings store.
    for (const SpeechVoice& v : listed)
        EXPECT_TRUE(
            std::any_of(c.voices.begin(), c.voices.end(), [&](const EngineVoice& e) { return e.name == v.name; }));
    EXPECT_EQ(DefaultVoice(c.voices, c.engineDefault).toStdString(), c.defaultVoice.toStdString());
}

INSTANTIATE_TEST_SUITE_P(Table, VoiceListTable, ::testing::ValuesIn(kVoiceLists),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

// All of espeak-ng: 131 languages, each in 101 variants. The page lists a bounded part of it, the
// Chinese voices first.
TEST(VoiceList, AnEngineOf13000VoicesListsABoundedPartChineseFirst)
{
    std::vector<EngineVoice> voices;
    const QStringList languages = {"Afrikaans", "Chinese (Mandarin, latin as English)", "Chinese (Cantonese)"};
    for (int i = 0; i < 131; ++i) {
        const QString language = i < languages.size() ? languages[i] : QStringLiteral("Language %1").arg(i);
        voices.push_back(voice(language));
        for (int v = 0; v < 101; ++v)
            voices.push_back(voice(language + QStringLiteral("+Variant%1").arg(v)));
    }
    ASSERT_EQ(voices.size(), 13362u);
    const SpeechVoices listed = ListedVoices(voices);
    ASSERT_EQ(listed.size(), kMaxListedVoices);
    EXPECT_EQ(listed[0].name.toStdString(), "Chinese (Mandarin, latin as English)");
    EXPECT_EQ(listed[1].name.toStdString(), "Chinese (Cantonese)");
    EXPECT_EQ(listed[2].name.toStdString(), "Chinese (Mandarin, latin as English)+Variant0");
    EXPECT_EQ(listed[2 + 101].name.toStdString(), "Chinese (Cantonese)+Variant0");
    EXPECT_EQ(listed[2 + 202].name.toStdString(), "Afrikaans");  // then the other languages' own voices
}

// The page lists the engine's voices by their labels and finds the stored one again by its name.
TEST(SpeechPageVoices, TheStoredVoiceIsFoundAgainByItsName)
{
    const std::vector<EngineVoice> voices = {voice("German", kGerman), voice("Chinese (Mandarin, latin as English)"),
                                             voice("Chinese (Mandarin, latin as English)+Alicia")};
    const struct {
        const char* label;
        QString stored;
        QString shown;
    } cases[] = {
        {"a listed voice", "Chinese (Mandarin, latin as English)+Alicia",
         "普通话 · Chinese (Mandarin, latin as English) · Alicia"},
        {"the default", "", CSpeechPage::kDefaultVoice},
        {"a voice the engine no longer lists stays chosen", "Gone", "Gone"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        AppSettings settings;
        settings.speech.voice = c.stored;
        CSpeechPage page(settings);
        page.SetEngineStatus(QStringLiteral(""), ListedVoices(voices));
        QComboBox& list = page.Voice();
        ASSERT_GE(list.count(), 4);
        EXPECT_EQ(list.itemText(0).toStdString(), CSpeechPage::kDefaultVoice.toStdString());
        EXPECT_EQ(list.itemText(1).toStdString(), "普通话 · Chinese (Mandarin, latin as English)");
        EXPECT_EQ(list.itemText(3).toStdString(), "German");
        EXPECT_EQ(list.currentText().toStdString(), c.shown.toStdString());
        AppSettings stored;
        page.Store(stored);
        EXPECT_EQ(stored.speech.voice.toStdString(), c.stored.toStdString());
    }
}

// What the engine says of itself is its own text: shown as written, never as markup.
TEST(SpeechPageVoices, TheEnginesProblemIsShownAsPlainText)
{
    AppSettings settings;
    CSpeechPage page(settings);
    const QString problem = QStringLiteral("语音引擎无法使用：<img src=\"/x\"><b>Invalid voice</b>");
    page.SetEngineStatus(problem, {});
    EXPECT_EQ(page.EngineState().text().toStdString(), problem.toStdString());
    EXPECT_EQ(page.EngineState().textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace zandrel
