// What the program remembers: a round trip through the settings file, and what a damaged file
// gives.

#include <gtest/gtest.h>

#include <utility>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include "app/AppSettings.h"

namespace zandrel {
namespace {

class Settings : public ::testing::Test {
protected:
    // QSettings keeps a parsed file per path and reads it again only when its time or size
    // changed: two writes of the same length within a second would read back the first. Each
    // write therefore goes to a file of its own.
    QString FileName() const { return m_dir.filePath(QStringLiteral("Zandrel-%1.conf").arg(m_writes)); }
    AppSettings Load(QString* notice = nullptr)
    {
        QSettings store(FileName(), QSettings::IniFormat);
        return LoadSettings(store, notice);
    }
    void Write(const QByteArray& text)
    {
        ++m_writes;
        QFile file(FileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QTemporaryDir m_dir;
    int m_writes = 0;
};

TEST_F(Settings, NoFileGivesTheDesignsValues)
{
    const AppSettings settings = Load();
    EXPECT_EQ(settings, AppSettings());
    EXPECT_EQ(settings.fontPointSize, 10);
    EXPECT_EQ(settings.alpha, 160);
    EXPECT_FALSE(settings.overlaySize);
    EXPECT_EQ(settings.hotkey, QStringLiteral("Ctrl+Alt+L"));
    EXPECT_TRUE(settings.lastRoom.isEmpty());
    EXPECT_FALSE(settings.overlayPosition);
}

TEST_F(Settings, WhatIsSavedIsReadBack)
{
    AppSettings saved;
    saved.fontPointSize = 16;
    saved.SetOpacityPercent(45);
    saved.overlaySize = QSize(300, 500);
    saved.hotkey = QStringLiteral("Ctrl+Shift+F9");
    saved.lastRoom = QStringLiteral("00123");
    saved.overlayPosition = QPoint(-40, 25);
    saved.rules.blockedSenders = QStringLiteral("bob\n4242\n");
    saved.rules.blockedKeywords = QStringLiteral("广告\n[a-z]+=\"; #x");
    saved.rules.highlightedSenders = QStringLiteral("ann");
    saved.rules.highlightedKeywords = QStringLiteral("主播\n\n");
    saved.rules.keywordsAreRegex = true;
    saved.rules.onlyGiftsAndHighlights = true;
    saved.rules.mergeRepeats = true;
    saved.rules.mergeSeconds = 42;
    saved.look.giftsStandOut = true;
    saved.look.giftColour = QColor(1, 2, 3);
    saved.look.highlightColour = QColor(250, 251, 252);
    saved.speech.enabled = true;
    saved.speech.lines = SpeechSettings::Lines::All;
    saved.speech.chatTemplate = QStringLiteral("{name}: {text}");
    saved.speech.giftTemplate = QStringLiteral("谢谢{name}");
    saved.speech.maxTextLength = 7;
    saved.speech.voice = QStringLiteral("cmn");
    saved.speech.rate = -3;
    saved.speech.volume = 55;
    saved.speech.maxBacklogSeconds = 9;
    saved.speechHotkey = QStringLiteral("Ctrl+Alt+F8");
    saved.chatLog = true;
    saved.keepLogDays = 5;
    saved.autoConnect = true;
    saved.clearOnNewRoom = true;
    {
        QSettings store(FileName(), QSettings::IniFormat);
        ASSERT_TRUE(SaveSettings(store, saved));
    }
    EXPECT_EQ(Load(), saved);

    AppSettings untouched;  // the design's opacity survives a round trip exactly
    {
        QSettings store(FileName(), QSettings::IniFormat);
        ASSERT_TRUE(SaveSettings(store, untouched));
    }
    EXPECT_EQ(Load().alpha, 160);
}

TEST_F(Settings, ValuesThatMakeNoSenseGiveTheirDefaults)
{
    Write("[overlay]\nfontPointSize=99\nopacity=10\nwidth=abc\nheight=500\nx=1\n"
          "[lock]\nhotkey=\n[session]\nlastRoom=12a\n"
          "[rules]\nmergeSeconds=0\nmergeRepeats=2\n[look]\ngiftColour=notacolour\n"
          "[speech]\nlines=3\nrate=11\nvolume=-1\nmaxBacklogSeconds=0\n[log]\nkeepDays=0\n");
    const AppSettings settings = Load();
    EXPECT_EQ(settings.fontPointSize, 10);
    EXPECT_EQ(settings.alpha, 160);
    EXPECT_FALSE(settings.overlaySize);      // a width that is no number: no size at all
    EXPECT_FALSE(settings.overlayPosition);  // x without y
    EXPECT_EQ(settings.hotkey, QStringLiteral("Ctrl+Alt+L"));
    EXPECT_TRUE(settings.lastRoom.isEmpty());
    EXPECT_EQ(settings.rules, LineRuleSettings());
    EXPECT_EQ(settings.look, LineLook());
    EXPECT_EQ(settings.speech, SpeechSettings());
    EXPECT_EQ(settings.keepLogDays, AppSettings::kDefaultKeepLogDays);
}

// A remembered room is one the room field would take: digits, at most 2147483647.
TEST_F(Settings, OnlyARoomNumberIsRemembered)
{
    for (const auto& [stored, kept] :
         {std::pair{"0123", "0123"}, std::pair{"2147483647", "2147483647"}, std::pair{"2147483648", ""},
          std::pair{"99999999999999999", ""}, std::pair{"-1", ""}}) {
        SCOPED_TRACE(stored);
        Write(QByteArray("[session]\nlastRoom=") + stored + "\n");
        EXPECT_EQ(Load().lastRoom, QLatin1String(kept));
    }
}

TEST_F(Settings, ADamagedFileGivesEveryDefaultOneAccurateNoticeAndIsWrittenAfresh)
{
    // The section header is cut short: the reader could still make out a value, but none is trusted.
    Write("[overlay\nfontPointSize=16\nopacity=200\n");
    QString notice;
    {
        // The store that read the damaged file keeps telling of it, after a good write too.
        QSettings store(FileName(), QSettings::IniFormat);
        AppSettings saved = LoadSettings(store, &notice);
        EXPECT_EQ(saved.fontPointSize, 10);
        EXPECT_EQ(notice, kSettingsDamagedText);
        // The program saves what it uses: the write succeeds, and the file reads back clean.
        saved.fontPointSize = 12;
        EXPECT_TRUE(SaveSettings(store, saved));
    }
    EXPECT_EQ(Load(&notice).fontPointSize, 12);
    EXPECT_TRUE(notice.isEmpty()) << notice.toStdString();
}

TEST_F(Settings, ValuesThatMakeNoSenseAreToldAsSuch)
{
    Write("[overlay]\nfontPointSize=99\nclearOnNewRoom=2\n[session]\nautoConnect=1\n");
    QString notice;
    const AppSettings settings = Load(&notice);
    EXPECT_EQ(notice, kSettingsBadValuesText);
    EXPECT_EQ(settings.fontPointSize, 10);
    EXPECT_FALSE(settings.clearOnNewRoom);
    EXPECT_TRUE(settings.autoConnect);
}

TEST_F(Settings, AFileThatCannotBeWrittenIsToldNotFatal)
{
    // A file stands where the settings' folder would be: no one can write there, root included.
    QFile blocker(m_dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QSettings store(m_dir.filePath(QStringLiteral("blocker/Zandrel.conf")), QSettings::IniFormat);
    EXPECT_FALSE(SaveSettings(store, AppSettings()));
}

}  // namespace
}  // namespace zandrel
