#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "chatlog/ChatLog.h"
#include "support/ParamNames.h"

namespace zandrel {
namespace {

namespace fs = std::filesystem;

// 2026-03-04 05:06:07 local time, and the next day.
std::time_t at(int day, int hour = 5, int minute = 6, int second = 7)
{
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 2;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return std::mktime(&local);
}

struct FormatCase {
    const char* label;
    LogLine line;
    std::string expected;
};

const std::vector<FormatCase> kFormats = {
    {"chat", {at(4), u"ann", u"hello", false}, "05:06:07\tann\thello\n"},
    {"Chinese in UTF-8", {at(4), u"张三", u"主播好", false}, "05:06:07\t张三\t主播好\n"},
    {"gift is marked", {at(4), u"土豪", u"送给主播10个仙豆", true}, "05:06:07\t土豪\t[礼物] 送给主播10个仙豆\n"},
    {"line breaks and tabs become spaces",
     {at(4), u"a\tb", u"one\ntwo\rthree\u2028four", false},
     "05:06:07\ta b\tone two three four\n"},
    {"a pair is one character", {at(4), u"x", u"\U0001F600!", false}, "05:06:07\tx\t\xF0\x9F\x98\x80!\n"},
    {"a lone surrogate is U+FFFD",
     {at(4), u"x", std::u16string(1, u'\xD800') + u"a", false},
     "05:06:07\tx\t\xEF\xBF\xBD"
     "a\n"},
    {"an empty name", {at(4, 23, 59, 59), u"", u"t", false}, "23:59:59\t\tt\n"},
    {"a run of repeats has its count after the text", {at(4), u"ann", u"666", false, 12}, "05:06:07\tann\t666 ×12\n"},
    {"a run of gifts", {at(4), u"土豪", u"送给主播1个仙豆", true, 3}, "05:06:07\t土豪\t[礼物] 送给主播1个仙豆 ×3\n"},
};

class LogLineFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(LogLineFormat, OneLineOfUtf8) { EXPECT_EQ(FormatLogLine(GetParam().line), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Table, LogLineFormat, ::testing::ValuesIn(kFormats),
                         [](const auto& instance) { return test::TestName(instance.param.label); });

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ChatLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zandrel-chatlog-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        m_folder = m_root / "logs";
    }
    void TearDown() override
    {
        std::error_code error;
        fs::remove_all(m_root, error);
    }
    std::function<void(const std::string&)> Errors()
    {
        return [this](const std::string& what) {
            std::lock_guard lock(m_mutex);
            m_errors.push_back(what);
        };
    }
    std::size_t ErrorCount()
    {
        std::lock_guard lock(m_mutex);
        return m_errors.size();
    }

    fs::path m_root;
    fs::path m_folder;
    std::mutex m_mutex;
    std::vector<std::string> m_errors;
};

TEST_F(ChatLog, LinesGoInOrderToAFilePerRoomAndDay)
{
    {
        CChatLog log(m_folder, Errors());
        log.SetRoom(900);
        for (int i = 0; i < 1000; ++i)
            log.Write({{at(4), u"n", u"line " + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)), false}});
        log.Write({{at(4, 23, 59, 59), u"n", u"last of the day", false}, {at(5, 0, 0, 1), u"n", u"next day", false}});
        log.SetRoom(901);
        log.Write({{at(5), u"m", u"other room", true}});
        log.Flush();
        // Flushed: in the files before the log ends.
        EXPECT_EQ(readFile(m_folder / LogFileName(901, at(5))), "05:06:07\tm\t[礼物] other room\n");
    }
    const std::string day1 = readFile(m_folder / LogFileName(900, at(4)));
    std::string expected;
    for (int i = 0; i < 1000; ++i)
        expected += std::string("05:06:07\tn\tline ") + static_cast<char>('a' + i % 26) + "\n";
    expected += "23:59:59\tn\tlast of the day\n";
    EXPECT_EQ(day1, expected);
    EXPECT_EQ(readFile(m_folder / LogFileName(900, at(5))), "00:00:01\tn\tnext day\n");
    EXPECT_EQ(LogFileName(900, at(4)), "room-900-2026-03-04.txt");
    EXPECT_EQ(ErrorCount(), 0u);
}

TEST_F(ChatLog, AFolderThatCannotBeWrittenIsToldOnceAndTheLogRecovers)
{
    std::ofstream(m_folder) << "a file where the folder should be";
    CChatLog log(m_folder, Errors());
    log.SetRoom(1);
    for (int i = 0; i < 5; ++i) {
        log.Write({{at(4), u"n", u"lost", false}});
        log.Flush();
    }
    EXPECT_EQ(ErrorCount(), 1u);
    fs::remove(m_folder);
    log.Write({{at(4), u"n", u"kept", false}});
    log.Flush();
    EXPECT_EQ(readFile(m_folder / LogFileName(1, at(4))), "05:06:07\tn\tkept\n");
    EXPECT_EQ(ErrorCount(), 1u);
}

TEST_F(ChatLog, AFullDiskIsToldOnce)
{
    fs::create_directories(m_folder);
    fs::create_symlink("/dev/full", m_folder / LogFileName(2, at(4)));
    CChatLog log(m_folder, Errors());
    log.SetRoom(2);
    for (int i = 0; i < 3; ++i) {
        log.Write({{at(4), u"n", u"no room on the disk", false}});
        log.Flush();
    }
    ASSERT_EQ(ErrorCount(), 1u);
    EXPECT_NE(m_errors[0].find("No space left on device"), std::string::npos) << m_errors[0];
}

TEST_F(ChatLog, AKilledProgramLosesAtMostTheLastSecond)
{
    // A child process hands over a line every 5 ms, its text the milliseconds since it began, and is
    // killed; every line handed over more than a second before the kill is in the file.
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CChatLog log(m_folder, {});
        log.SetRoom(3);
        for (;;) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            const std::string digits = std::to_string(ms);
            log.Write({{at(4), u"n", std::u16string(digits.begin(), digits.end()), false}});
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    const auto killedAt =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    std::istringstream lines(readFile(m_folder / LogFileName(3, at(4))));
    std::string line;
    long last = -1;
    int count = 0;
    while (std::getline(lines, line)) {
        const long ms = std::stol(line.substr(line.rfind('\t') + 1));
        EXPECT_GT(ms, last);  // in order, each once
        last = ms;
        ++count;
    }
    EXPECT_GT(count, 100);
    EXPECT_GE(last, killedAt - 1000) << "the file ends " << killedAt - last << " ms before the kill";
}

TEST_F(ChatLog, OldLogsAreRemovedAndOtherFilesKept)
{
    fs::create_directories(m_folder);
    const auto now = fs::file_time_type::clock::now();
    const auto make = [&](const char* name, int daysOld) {
        std::ofstream(m_folder / name) << "x";
        fs::last_write_time(m_folder / name, now - std::chrono::hours(24) * daysOld - std::chrono::minutes(1));
    };
    make("room-1-2026-01-01.txt", 31);
    make("room-1-2026-01-02.txt", 30);
    make("room-1-2026-01-20.txt", 29);
    make("notes.txt", 100);
    EXPECT_EQ(RemoveOldLogs(m_folder, 30, now), 2);
    EXPECT_FALSE(fs::exists(m_folder / "room-1-2026-01-01.txt"));
    EXPECT_FALSE(fs::exists(m_folder / "room-1-2026-01-02.txt"));
    EXPECT_TRUE(fs::exists(m_folder / "room-1-2026-01-20.txt"));
    EXPECT_TRUE(fs::exists(m_folder / "notes.txt"));
    EXPECT_EQ(RemoveOldLogs(m_root / "missing", 30, now), 0);
}

}  // namespace
}  // namespace zandrel
