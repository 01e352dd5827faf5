// What the streamer turns on for the room's lines, through the settings box and the main window,
// against the demo service: block lists, the chat log, and which lines read-aloud is given.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/SettingsDlg.h"
#include "app/ZandrelDlg.h"
#include "demo/RoomContent.h"
#include "lookup/ChatServerLookup.h"
#include "support/TestServices.h"

namespace zandrel {
namespace {

std::string readFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class RoomTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"),
                        QStringLiteral("Zandrel"));
        store.clear();
        store.sync();
        m_savedLookup = CurrentLookupSettings();
        CurrentLookupSettings().host = "127.0.0.1:" + std::to_string(test::DemoPort("main"));
        CurrentLookupSettings().timeoutSeconds = 5;
        // The chat log goes to a data folder of the test's own.
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
    }
    void TearDown() override
    {
        m_dialog.reset();
        CurrentLookupSettings() = m_savedLookup;
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }
    void Open()
    {
        m_dialog = std::make_unique<CZandrelDlg>();
        m_dialog->Session().SetLogLevel(0);
        m_dialog->SetMessageBoxHook([](const QString&) {});
        m_dialog->show();
    }
    // Runs `edit` on the settings box once it is open, then closes it with OK.
    void EditSettings(const std::function<void(CSettingsDlg&)>& edit)
    {
        QTimer::singleShot(0, [&] {
            CSettingsDlg* box = m_dialog->OpenSettings();
            ASSERT_NE(box, nullptr);
            edit(*box);
            box->accept();
        });
        m_dialog->OnSettings();
    }
    void Join(const QString& room)
    {
        m_dialog->RoomEdit().setText(room);
        m_dialog->OnConnect();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_dialog->StatusLabel().text().startsWith(QStringLiteral("已连接直播室 ") + room); }, 20000));
    }
    bool Shows(const std::u16string& name)
    {
        const auto& lines = m_dialog->Overlay().Messages();
        return std::any_of(lines.begin(), lines.end(), [&](const ShownLine& line) { return line.name == name; });
    }
    std::u16string Wide(const std::string& utf8) { return QString::fromStdString(utf8).toStdU16String(); }

    QTemporaryDir m_data;
    QByteArray m_savedDataHome;
    LookupSettings m_savedLookup;
    std::unique_ptr<CZandrelDlg> m_dialog;
};

TEST_F(RoomTools, ABlockedViewerIsNeitherShownNorLoggedButCountedAndTheRulesSurviveARestart)
{
    Open();
    const std::string blocked = demo::ScriptedLines()[2].name;  // 观众3
    EditSettings([&](CSettingsDlg& box) {
        box.Lists().Edit(CListsPage::List::BlockedSenders).setPlainText(QString::fromStdString(blocked));
        box.Log().Enabled().setChecked(true);
        box.PreviewNow();
        // Applied at once, before the box closes.
        EXPECT_EQ(m_dialog->Overlay().Filter().Judge(LineKind::Chat, QString::fromStdString(blocked), {}, u"hi"),
                  LineVerdict::Block);
    });
    Join(QStringLiteral("900"));
    const std::u16string giver = Wide(demo::ScriptedGift().name);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shows(giver); }, 10000));
    EXPECT_FALSE(Shows(Wide(blocked)));
    EXPECT_TRUE(Shows(Wide(demo::ScriptedLines()[3].name)));
    EXPECT_TRUE(m_dialog->StatusLabel().text().contains(QStringLiteral("已屏蔽 1 条")))
        << m_dialog->StatusLabel().text().toStdString();

    // The log: every line that got past the block list, in order, in UTF-8, the gift marked.
    ASSERT_NE(m_dialog->Features().ChatLog(), nullptr);
    m_dialog->Features().ChatLog()->Flush();
    const QDir logs(CZandrelDlg::ChatLogFolder());
    const QStringList files = logs.entryList({QStringLiteral("room-900-*.txt")}, QDir::Files);
    ASSERT_EQ(files.size(), 1);
    const std::string log = readFile(logs.filePath(files[0]));
    std::size_t at = log.find("\t系统信息\t成功连接直播室\n");
    ASSERT_NE(at, std::string::npos) << log;
    for (const demo::ChatLine& line : demo::ScriptedLines()) {
        if (line.name == blocked) {
            EXPECT_EQ(log.find("\t" + line.name + "\t"), std::string::npos);
            continue;
        }
        const std::size_t next = log.find("\t" + line.name + "\t", at);
        ASSERT_NE(next, std::string::npos) << line.name;
        at = next;
    }
    EXPECT_NE(log.find("\t" + demo::ScriptedGift().name + "\t[礼物] ", at), std::string::npos);

    m_dialog->close();
    m_dialog.reset();
    Open();
    EXPECT_EQ(m_dialog->Settings().rules.blockedSenders, QString::fromStdString(blocked));
    EXPECT_TRUE(m_dialog->Settings().chatLog);
    EXPECT_EQ(m_dialog->Overlay().Filter().Judge(LineKind::Chat, QString::fromStdString(blocked), {}, u"hi"),
              LineVerdict::Block);
}

TEST_F(RoomTools, ALogFolderThatCannotBeWrittenIsToldOnceAndTheChatGoesOn)
{
    // A file where the data folder would be: nobody can make the log's folder, root included.
    QFile blocker(m_data.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", blocker.fileName().toUtf8());
    Open();
    EditSettings([](CSettingsDlg& box) { box.Log().Enabled().setChecked(true); });
    Join(QStringLiteral("900"));
    const std::u16string giver = Wide(demo::ScriptedGift().name);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shows(giver); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return m_dialog->StatusLabel().text().contains(QStringLiteral("聊天记录无法写入")); }, 5000));
    EXPECT_TRUE(m_dialog->StatusLabel().text().startsWith(QStringLiteral("已连接直播室 900")));
}

TEST_F(RoomTools, ListsThatCannotBeUsedAreShownInTheBoxAndChangeNothingElse)
{
    Open();
    QTemporaryDir files;
    EditSettings([&](CSettingsDlg& box) {
        CListsPage& lists = box.Lists();
        lists.Regex().setChecked(true);
        lists.Edit(CListsPage::List::BlockedKeywords).setPlainText(QStringLiteral("ok\n(unclosed"));
        EXPECT_TRUE(lists.Problems().isVisibleTo(&lists));
        EXPECT_TRUE(lists.Problems().text().contains(QStringLiteral("屏蔽关键词 第 2 行“(unclosed”无法使用")))
            << lists.Problems().text().toStdString();
        // A file that cannot be read leaves the list as it was.
        const QString missing = files.filePath(QStringLiteral("missing.txt"));
        EXPECT_FALSE(lists.Import(CListsPage::List::BlockedKeywords, missing));
        EXPECT_TRUE(lists.Problems().text().contains(QStringLiteral("无法读取 ") + missing));
        EXPECT_EQ(lists.Edit(CListsPage::List::BlockedKeywords).toPlainText(), QStringLiteral("ok\n(unclosed"));
        // A round trip through a file.
        const QString path = files.filePath(QStringLiteral("list.txt"));
        lists.Edit(CListsPage::List::HighlightedSenders).setPlainText(QStringLiteral("张三\nann"));
        ASSERT_TRUE(lists.Export(CListsPage::List::HighlightedSenders, path));
        ASSERT_TRUE(lists.Import(CListsPage::List::BlockedSenders, path));
        EXPECT_EQ(lists.Edit(CListsPage::List::BlockedSenders).toPlainText(), QStringLiteral("张三\nann\n"));
        box.PreviewNow();
    });
    // The good entry works; the bad one is left out.
    const CLineFilter& filter = m_dialog->Overlay().Filter();
    EXPECT_EQ(filter.Judge(LineKind::Chat, u"x", {}, u"ok then"), LineVerdict::Block);
    EXPECT_EQ(filter.Judge(LineKind::Chat, u"x", {}, u"(unclosed"), LineVerdict::Show);
    EXPECT_EQ(filter.Judge(LineKind::Chat, u"张三", {}, u"hi"), LineVerdict::Block);
}

// An engine on the speech thread that records what it is asked to say and says it at once.
struct Recorded {
    std::mutex mutex;
    std::vector<QString> said;
};

class RecordingEngine : public ISpeechEngine {
public:
    explicit RecordingEngine(std::shared_ptr<Recorded> recorded) : m_recorded(std::move(recorded)) {}
    QString Problem() const override { return {}; }
    SpeechVoices Voices() const override { return {}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString& text) override
    {
        {
            std::lock_guard lock(m_recorded->mutex);
            m_recorded->said.push_back(text);
        }
        QTimer::singleShot(0, [this] { onDone(true); });
    }
    void Stop() override {}

private:
    std::shared_ptr<Recorded> m_recorded;
};

struct SelectionCase {
    const char* label;
    SpeechSettings::Lines lines;
    std::vector<QString> expected;
};

TEST(ReadAloudSelection, WhichLinesAreReadInEachMode)
{
    const auto passed = [](LineKind kind, const char16_t* name, const char16_t* text, LineVerdict verdict,
                           bool merged = false) {
        ShownLine line;
        line.kind = kind;
        line.name = name;
        line.text = text;
        return PassedLine{line, verdict, merged};
    };
    const std::vector<PassedLine> lines = {
        passed(LineKind::Own, u"系统信息", u"成功连接直播室", LineVerdict::Show),
        passed(LineKind::Chat, u"a", u"chat", LineVerdict::Show),
        passed(LineKind::Chat, u"a", u"chat", LineVerdict::Show, true),  // a merged repeat
        passed(LineKind::Chat, u"b", u"hidden", LineVerdict::Hide),
        passed(LineKind::Chat, u"c", u"star [表情] http://x.y", LineVerdict::Highlight),
        passed(LineKind::Gift, u"d", u"送给主播10个仙豆", LineVerdict::Show),
    };
    const SelectionCase cases[] = {
        {"gifts", SpeechSettings::Lines::Gifts, {"感谢d的礼物"}},
        {"gifts and highlights", SpeechSettings::Lines::GiftsAndHighlights, {"c说：star", "感谢d的礼物"}},
        {"all shown", SpeechSettings::Lines::All, {"a说：chat", "c说：star", "感谢d的礼物"}},
    };
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.label);
        auto recorded = std::make_shared<Recorded>();
        CRoomFeatures features(QString(), [recorded] { return std::make_unique<RecordingEngine>(recorded); });
        AppSettings settings;
        settings.speech.enabled = true;
        settings.speech.lines = c.lines;
        features.Apply(settings);
        features.OnLines(lines);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                std::lock_guard lock(recorded->mutex);
                return recorded->said.size() >= c.expected.size();
            },
            5000));
        QTest::qWait(50);  // nothing more comes
        std::lock_guard lock(recorded->mutex);
        EXPECT_EQ(recorded->said, c.expected);
    }
}

PassedLine giftLine(const char16_t* name)
{
    ShownLine line;
    line.kind = LineKind::Gift;
    line.name = name;
    line.text = u"送给主播10个仙豆";
    return PassedLine{line, LineVerdict::Show, false};
}

// An engine on the speech thread that holds each line until it is stopped, as a slow voice does.
class HoldingEngine : public ISpeechEngine {
public:
    explicit HoldingEngine(std::shared_ptr<Recorded> recorded) : m_recorded(std::move(recorded)) {}
    QString Problem() const override { return {}; }
    SpeechVoices Voices() const override { return {}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString& text) override
    {
        std::lock_guard lock(m_recorded->mutex);
        m_recorded->said.push_back(text);
    }
    void Stop() override { onDone(false); }

private:
    std::shared_ptr<Recorded> m_recorded;
};

template <typename Shared> std::vector<QString> saidBy(Shared& recorded)
{
    std::lock_guard lock(recorded.mutex);
    return recorded.said;
}

// Turned off, read-aloud stops the line being read and forgets what waits: turned on again, it
// reads the lines that come from then on, not the stale ones.
TEST(ReadAloudOnOff, TurnedOnAgainItReadsOnlyWhatCameSince)
{
    auto recorded = std::make_shared<Recorded>();
    CRoomFeatures features(QString(), [recorded] { return std::make_unique<HoldingEngine>(recorded); });
    AppSettings settings;
    settings.speech.enabled = true;
    features.Apply(settings);
    features.OnLines({giftLine(u"a"), giftLine(u"b"), giftLine(u"c")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !saidBy(*recorded).empty(); }, 5000));
    settings.speech.enabled = false;
    features.Apply(settings);
    QTest::qWait(100);  // the reader has heard of it
    settings.speech.enabled = true;
    features.Apply(settings);
    features.OnLines({giftLine(u"d")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return saidBy(*recorded).size() >= 2; }, 5000));
    QTest::qWait(100);  // nothing more comes
    EXPECT_EQ(saidBy(*recorded), (std::vector<QString>{"感谢a的礼物", "感谢d的礼物"}));
}

// Engines whose speech server is killed after their first line: each Say after it fails, as Qt's
// engine's does once its server is gone. The first engine dies; the ones made again speak.
struct Dying {
    std::mutex mutex;
    std::vector<QString> said;
    int made = 0;
};

class DyingEngine : public ISpeechEngine {
public:
    DyingEngine(std::shared_ptr<Dying> dying, bool dies) : m_dying(std::move(dying)), m_dies(dies) {}
    QString Problem() const override { return m_problem; }
    SpeechVoices Voices() const override { return {}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString& text) override
    {
        if (m_dies && m_spoken > 0) {
            m_problem = QStringLiteral("语音引擎无法使用：\x1b[2JText synthesizing failure.");
            onProblem(m_problem);
            onDone(false);
            return;
        }
        ++m_spoken;
        {
            std::lock_guard lock(m_dying->mutex);
            m_dying->said.push_back(text);
        }
        QTimer::singleShot(0, &m_context, [this] { onDone(true); });
    }
    void Stop() override {}

private:
    std::shared_ptr<Dying> m_dying;
    bool m_dies;
    int m_spoken = 0;
    QString m_problem;
    QObject m_context;
};

TEST(ReadAloudLostEngine, ToldOnceWhileAwayAndOnceBackAndTheGiftIsReadByTheNewEngine)
{
    auto dying = std::make_shared<Dying>();
    CRoomFeatures features(QString(), [dying] {
        std::lock_guard lock(dying->mutex);
        return std::make_unique<DyingEngine>(dying, dying->made++ == 0);
    });
    std::vector<QString> notices;
    QObject::connect(&features, &CRoomFeatures::speechNotice, [&](const QString& text) { notices.push_back(text); });
    AppSettings settings;
    settings.speech.enabled = true;
    testing::internal::CaptureStderr();
    features.Apply(settings);
    features.OnLines({giftLine(u"a")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return saidBy(*dying) == std::vector<QString>{"感谢a的礼物"}; }, 5000));
    EXPECT_TRUE(features.SpeechNotice().isEmpty());
    features.OnLines({giftLine(u"b")});  // the server is gone: this one fails
    ASSERT_TRUE(QTest::qWaitFor([&] { return !features.SpeechNotice().isEmpty(); }, 5000));
    EXPECT_EQ(features.SpeechNotice(), CRoomFeatures::kSpeechLostText);
    EXPECT_TRUE(features.IsSpeechReady());  // its pause still works meanwhile
    // Made again after a second: the gift it failed on is read first.
    ASSERT_TRUE(QTest::qWaitFor([&] { return features.SpeechNotice().isEmpty(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return saidBy(*dying).size() >= 2; }, 5000));
    features.OnLines({giftLine(u"c")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return saidBy(*dying).size() >= 3; }, 5000));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(saidBy(*dying), (std::vector<QString>{"感谢a的礼物", "感谢b的礼物", "感谢c的礼物"}));
    EXPECT_EQ(notices, (std::vector<QString>{CRoomFeatures::kSpeechLostText, QString()}));
    const auto count = [&](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = err.find(text); at != std::string::npos; at = err.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("zandrel: read-aloud: the speech engine stopped working"), 1u) << err;
    EXPECT_EQ(count("zandrel: read-aloud: the speech engine speaks again"), 1u) << err;
    EXPECT_EQ(err.find('\x1b'), std::string::npos) << "the engine's text reached the terminal raw";
    EXPECT_EQ(dying->made, 2);
}

}  // namespace
}  // namespace zandrel
