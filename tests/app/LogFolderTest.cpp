// "打开聊天记录文件夹" on desktops with and without a file manager: xdg-open stands in for the desktop
// (a script in PATH that records what it was asked to open and ends as xdg-open does), and where it
// finds no file manager a box tells where the folder is.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "app/MainWindowFixture.h"
#include "app/TrayIcon.h"
#include "app/ZandrelDlg.h"

namespace zandrel {
namespace {

class LogFolder : public MainWindow {
protected:
    void SetUp() override
    {
        m_savedPath = qgetenv("PATH");
        MainWindow::SetUp();
    }
    void TearDown() override
    {
        MainWindow::TearDown();
        qputenv("PATH", m_savedPath);
    }
    // An xdg-open of the test's own, alone in PATH: it writes its arguments to `asked` and ends with
    // `status` (3: "a required tool could not be found", what xdg-open says without a file manager).
    void FakeXdgOpen(int status)
    {
        const QString script = m_bin.filePath(QStringLiteral("xdg-open"));
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexit %2\n")
                       .arg(m_bin.filePath(QStringLiteral("asked")))
                       .arg(status)
                       .toUtf8());
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("PATH", m_bin.path().toUtf8());
    }
    QString Asked()
    {
        QFile file(m_bin.filePath(QStringLiteral("asked")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
    }
    // The tray menu's entry, as the streamer picks it.
    void PickFromTheTray()
    {
        for (QAction* action : m_dialog->Tray().Menu().actions())
            if (action->text() == CTrayIcon::kOpenLogFolderText)
                action->trigger();
    }

    QTemporaryDir m_bin;
    QByteArray m_savedPath;
};

TEST_F(LogFolder, WithoutAFileManagerABoxSaysWhereTheFolderIs)
{
    const QString folder = CZandrelDlg::ChatLogFolder();
    struct Case {
        const char* desktop;
        int status;
        bool told;
    };
    const Case cases[] = {
        {"xdg-open finds no file manager", 3, true},
        {"xdg-open fails to open it", 4, true},
        {"a file manager opens it", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        m_boxes.clear();
        QFile::remove(m_bin.filePath(QStringLiteral("asked")));
        FakeXdgOpen(c.status);
        PickFromTheTray();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !Asked().isEmpty(); }, 10000)) << "xdg-open was not run";
        EXPECT_EQ(Asked(), folder);
        EXPECT_TRUE(QDir(folder).exists());
        if (c.told) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !m_boxes.empty(); }, 10000));
            EXPECT_EQ(m_boxes, std::vector<QString>{CZandrelDlg::kLogFolderNotOpenedText.arg(folder)});
        } else {
            // A failure would have come by the time xdg-open has ended.
            ASSERT_TRUE(QTest::qWaitFor([&] { return m_dialog->FolderOpener().Pending() == 0; }, 10000));
            EXPECT_TRUE(m_boxes.empty());
        }
    }
}

// No xdg-open at all, and nothing else that Qt knows opens folders here: the box too.
TEST_F(LogFolder, WithoutXdgOpenTheBoxToo)
{
    qputenv("PATH", m_bin.path().toUtf8());  // empty
    PickFromTheTray();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_boxes.empty(); }, 10000));
    EXPECT_EQ(m_boxes, std::vector<QString>{CZandrelDlg::kLogFolderNotOpenedText.arg(CZandrelDlg::ChatLogFolder())});
}

}  // namespace
}  // namespace zandrel
