// The chat log of merged repeats: a run of repeats is one line in the file, the run's first line
// with its count, written once the run has ended, however it ends; its first line is written as it
// came, as a line that is never repeated is. Checked from the file.

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/MainWindowFixture.h"
#include "app/RoomFeatures.h"
#include "app/SettingsDlg.h"
#include "app/ZandrelDlg.h"

namespace zandrel {
namespace {

std::string readLog(const QString& folder, int room)
{
    const QStringList files = QDir(folder).entryList({QStringLiteral("room-%1-*.txt").arg(room)}, QDir::Files);
    if (files.isEmpty())
        return {};
    std::ifstream in(QDir(folder).filePath(files[0]).toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string timeOf(std::time_t at)
{
    std::tm local{};
    localtime_r(&at, &local);
    char text[16];
    std::strftime(text, sizeof text, "%H:%M:%S", &local);
    return text;
}

PassedLine chatLine(const char16_t* name, const char16_t* text, std::time_t at)
{
    ShownLine line;
    line.name = name;
    line.text = text;
    line.shownAt = at;
    return {line, LineVerdict::Show};
}

// A repeat of `first` (shown as `serial`), which makes its run `count` lines long.
PassedLine repeatOf(const PassedLine& first, std::uint64_t serial, int count)
{
    PassedLine repeat = first;
    repeat.line.shownAt = first.line.shownAt;
    repeat.merged = true;
    repeat.into = serial;
    repeat.intoShownAt = first.line.shownAt;
    repeat.count = count;
    return repeat;
}

class MergedRunLog : public ::testing::Test {
protected:
    void Open(int mergeSeconds)
    {
        m_features = std::make_unique<CRoomFeatures>(m_folder.path());
        AppSettings settings;
        settings.chatLog = true;
        settings.rules.mergeRepeats = true;
        settings.rules.mergeSeconds = mergeSeconds;
        m_features->Apply(settings);
        m_features->SetRoom(5);
    }
    // 观众甲 says 666 five times, merged into its first line (serial 7); 观众乙 says hello once.
    void Flood()
    {
        const PassedLine first = chatLine(u"观众甲", u"666", m_at);
        std::vector<PassedLine> lines = {first, chatLine(u"观众乙", u"hello", m_at)};
        for (int count = 2; count <= 5; ++count)
            lines.push_back(repeatOf(first, 7, count));
        m_features->OnLines(lines);
    }
    std::string Log(int room = 5)
    {
        if (m_features && m_features->ChatLog())
            m_features->ChatLog()->Flush();
        return readLog(m_folder.path(), room);
    }
    std::string FirstLines() const { return timeOf(m_at) + "\t观众甲\t666\n" + timeOf(m_at) + "\t观众乙\thello\n"; }
    std::string RunLine() const { return timeOf(m_at) + "\t观众甲\t666 ×5\n"; }

    QTemporaryDir m_folder;
    std::unique_ptr<CRoomFeatures> m_features;
    std::time_t m_at = std::time(nullptr);
};

// Each way a run ends writes its line once, in the room it belongs to.
TEST_F(MergedRunLog, ARunIsOneLineWithItsCountWhenItEnds)
{
    struct Case {
        const char* how;
        int mergeSeconds;
        std::function<void()> end;
    };
    const Case cases[] = {
        {"its merge window closes", 1,
         [this] { EXPECT_TRUE(QTest::qWaitFor([&] { return Log() == FirstLines() + RunLine(); }, 5000)) << Log(); }},
        {"another room starts", 600, [this] { m_features->SetRoom(6); }},
        {"the session stops", 600, [this] { m_features->EndRepeatRuns(); }},
        {"the log is turned off", 600,
         [this] {
             AppSettings off;
             off.rules.mergeRepeats = true;
             m_features->Apply(off);
         }},
        {"the program ends", 600, [this] { m_features.reset(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        QDir(m_folder.path()).removeRecursively();
        Open(c.mergeSeconds);
        Flood();
        // The lines that are no repeats are in the file within the log's batch time; the run is not.
        EXPECT_EQ(Log(), FirstLines());
        c.end();
        EXPECT_EQ(Log(), FirstLines() + RunLine());
        EXPECT_EQ(Log(6), "");
        m_features.reset();
        EXPECT_EQ(Log(), FirstLines() + RunLine()) << "written twice";
    }
}

// A run that goes on past its window (a flood) ends at the window; the next repeat begins a new run,
// told in a line of its own.
TEST_F(MergedRunLog, TheNextRunAfterTheWindowIsAnotherLine)
{
    Open(600);
    Flood();
    const PassedLine again = chatLine(u"观众甲", u"666", m_at + 1);
    m_features->OnLines({again, repeatOf(again, 9, 2), repeatOf(again, 9, 3)});
    m_features->EndRepeatRuns();
    EXPECT_EQ(Log(), FirstLines() + timeOf(m_at + 1) + "\t观众甲\t666\n" + RunLine() + timeOf(m_at + 1) +
                         "\t观众甲\t666 ×3\n");
}

// Room 907's flood of the demo service, through the main window, with repeats merged within a
// second: the log holds a line per run, not per repeat, and once the session stops every repeat the
// overlay counted is in it.
class MergedFlood : public MainWindow {
protected:
    void SetUp() override
    {
        m_savedDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
        MainWindow::SetUp();
    }
    void TearDown() override
    {
        MainWindow::TearDown();
        qputenv("XDG_DATA_HOME", m_savedDataHome);
    }
    std::string Log()
    {
        m_dialog->Features().ChatLog()->Flush();
        return readLog(CZandrelDlg::ChatLogFolder(), 907);
    }

    QTemporaryDir m_data;
    QByteArray m_savedDataHome;
};

TEST_F(MergedFlood, TheLogHoldsEachRunOnceAndEveryRepeatOnceTheSessionStops)
{
    struct Case {
        const char* how;
        bool close;  // the window closes (what SIGTERM does) rather than "断开"
    };
    for (const Case& c : {Case{"断开", false}, Case{"the window closes", true}}) {
        SCOPED_TRACE(c.how);
        // A start of its own, with a log of its own.
        m_dialog.reset();
        QDir(CZandrelDlg::ChatLogFolder()).removeRecursively();
        m_dialog = std::make_unique<CZandrelDlg>();
        m_dialog->Session().SetLogLevel(0);
        Hook();
        m_dialog->show();
        QTimer::singleShot(0, [&] {
            CSettingsDlg* box = m_dialog->OpenSettings();
            ASSERT_NE(box, nullptr);
            box->Log().Enabled().setChecked(true);
            box->GiftsMerge().Merge().setChecked(true);
            box->GiftsMerge().MergeSeconds().setValue(1);
            box->accept();
        });
        m_dialog->OnSettings();
        TypeRoom(QStringLiteral("907"));
        ClickConnect();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return m_dialog->StatusLabel().text().startsWith(QStringLiteral("已连接直播室 907")); }, 20000));
        // A run that its window ended.
        ASSERT_TRUE(QTest::qWaitFor([&] { return Log().find("\t观众甲\t666 ×") != std::string::npos; }, 10000));
        if (c.close) {
            // The overlay takes what the session had queued before the program ends.
            m_dialog->close();
            ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->Overlay().Queue().Size() == 0; }, 10000));
        } else {
            QTest::mouseClick(&m_dialog->DisconnectButton(), Qt::LeftButton);
        }

        // What the overlay counted of 观众甲's 666, and what the log says of it: each line once, and
        // a run's line "×N" for the N lines of the run, its first (logged already) among them.
        long long counted = 0;
        for (const ShownLine& line : m_dialog->Overlay().Messages())
            if (line.name == u"观众甲" && line.text == u"666")
                counted += line.count;
        if (c.close)
            m_dialog.reset();  // the program's end
        long long logged = 0;
        long long lines = 0;
        std::set<std::string> runs;
        std::istringstream log(c.close ? readLog(CZandrelDlg::ChatLogFolder(), 907) : Log());
        for (std::string line; std::getline(log, line);) {
            const std::size_t at = line.find("\t观众甲\t666");
            if (at == std::string::npos)
                continue;
            ++lines;
            const std::string rest = line.substr(at + std::string("\t观众甲\t666").size());
            if (rest.empty()) {
                ++logged;
                continue;
            }
            logged += std::stoll(rest.substr(std::string(" ×").size())) - 1;
            // A run begins in a second of its own (its window is a second): its time names it.
            EXPECT_TRUE(runs.insert(line.substr(0, at)).second) << "the run of " << line.substr(0, at) << " twice";
        }
        EXPECT_GT(counted, 100) << "no flood";
        EXPECT_EQ(logged, counted);
        EXPECT_LT(lines * 10, counted) << "a line per repeat";
        std::printf("%s: 观众甲's 666 counted %lld times in the overlay, in %lld lines of the log\n", c.how, counted,
                    lines);
    }
}

}  // namespace
}  // namespace zandrel
