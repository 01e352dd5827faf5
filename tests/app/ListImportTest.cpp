// Importing a block or highlight list: files as streamers save them (UTF-8 with and without a
// byte-order mark, UTF-16 with one, GBK and GB18030), what the page says it read, what a binary
// file or an unknown encoding gets, and adding to a list or replacing it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "app/ListsPage.h"

namespace zandrel {
namespace {

using List = CListsPage::List;

struct ImportCase {
    const char* what;
    QByteArray bytes;
    QString note;     // what the page says it read; empty: refused
    QString list;     // the list afterwards
    QString problem;  // the red line's reason, when refused
};

QString writeFile(const QTemporaryDir& folder, const QByteArray& bytes)
{
    const QString path = folder.filePath(QStringLiteral("名单.txt"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

// "张三", "𠀀李四" (a four-byte GB18030 form) and "ann", lines ended by CR LF and LF.
const QString kEntries = QStringLiteral("张三\n𠀀李四\nann\n");

TEST(ListImport, EachEncodingIsReadAndNamedAndOtherFilesAreRefused)
{
    const ImportCase cases[] = {
        {"UTF-8",
         QByteArray("张三\r\n𠀀李四\nann\n"),
         QStringLiteral("已按 UTF-8 编码读取 名单.txt，新增 3 条"),
         kEntries,
         {}},
        {"UTF-8 with a byte-order mark",
         QByteArray("\xEF\xBB\xBF张三\r\n𠀀李四\nann"),
         QStringLiteral("已按 UTF-8（带 BOM） 编码读取 名单.txt，新增 3 条"),
         kEntries,
         {}},
        {"UTF-16 LE with a byte-order mark",
         QByteArray::fromHex("fffe205f094e0d000a0040d800dc4e67db56"
                             "0a0061006e006e000a00"),
         QStringLiteral("已按 UTF-16 LE 编码读取 名单.txt，新增 3 条"),
         kEntries,
         {}},
        {"UTF-16 BE with a byte-order mark",
         QByteArray::fromHex("feff5f204e09000d000ad840dc00674e56db"
                             "000a0061006e006e000a"),
         QStringLiteral("已按 UTF-16 BE 编码读取 名单.txt，新增 3 条"),
         kEntries,
         {}},
        {"GB18030 (GBK's two-byte forms and a four-byte one)",
         QByteArray::fromHex("d5c5c8fd0d0a95328236c0eecbc40a616e6e0a"),
         QStringLiteral("已按 GB18030 编码读取 名单.txt，新增 3 条"),
         kEntries,
         {}},
        {"ASCII alone",
         QByteArray("ann\nbob\n"),
         QStringLiteral("已按 UTF-8 编码读取 名单.txt，新增 2 条"),
         QStringLiteral("ann\nbob\n"),
         {}},
        {"a binary file (a PNG's start)",
         QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"),
         {},
         {},
         CListsPage::kNotTextReason},
        {"UTF-16 that holds control characters",
         QByteArray::fromHex("fffe61000100620000000a00"),
         {},
         {},
         CListsPage::kNotTextReason},
        {"neither UTF-8 nor GB18030 (Latin-1)",
         QByteArray("caf\xE9 \xFF\n"),
         {},
         {},
         CListsPage::kUnknownEncodingReason},
        {"UTF-16 cut in the middle of a character",
         QByteArray::fromHex("fffe61006200"
                             "63"),
         {},
         {},
         CListsPage::kUnknownEncodingReason},
    };
    for (const ImportCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        CListsPage page{AppSettings()};
        const QString path = writeFile(folder, c.bytes);
        const bool ok = page.Import(List::BlockedSenders, path);
        EXPECT_EQ(ok, !c.note.isEmpty());
        EXPECT_EQ(page.Edit(List::BlockedSenders).toPlainText(), c.list);
        if (ok) {
            EXPECT_EQ(page.ImportNote().text(), c.note);
            EXPECT_TRUE(page.ImportNote().isVisibleTo(&page));
            EXPECT_FALSE(page.Problems().isVisibleTo(&page)) << page.Problems().text().toStdString();
        } else {
            EXPECT_EQ(page.Problems().text(), CListsPage::kUnreadableText.arg(path, c.problem));
            EXPECT_TRUE(page.Problems().isVisibleTo(&page));
            EXPECT_FALSE(page.ImportNote().isVisibleTo(&page));
        }
    }
}

// An import adds what the list lacks: an entry it holds (however the file spaces it) is not added
// twice, nor one the file holds twice. Or, when chosen, the file's entries replace the list.
TEST(ListImport, AddsWhatTheListLacksOrReplacesIt)
{
    struct ModeCase {
        const char* what;
        CListsPage::ImportMode mode;
        QString list;
        QString note;
    };
    const ModeCase cases[] = {
        {"add", CListsPage::ImportMode::Add, QStringLiteral("张三\nann\n李四\n"),
         QStringLiteral("已按 UTF-8 编码读取 名单.txt，新增 1 条")},
        {"replace", CListsPage::ImportMode::Replace, QStringLiteral("ann\n李四\n"),
         QStringLiteral("已按 UTF-8 编码读取 名单.txt，列表换成其中的 2 条")},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        CListsPage page{AppSettings()};
        page.Edit(List::HighlightedSenders).setPlainText(QStringLiteral("张三\nann"));
        const QString path = writeFile(folder, QByteArray("  ann \n\n李四\nann\n李四\n"));
        ASSERT_TRUE(page.Import(List::HighlightedSenders, path, c.mode));
        EXPECT_EQ(page.Edit(List::HighlightedSenders).toPlainText(), c.list);
        EXPECT_EQ(page.ImportNote().text(), c.note);
        AppSettings stored;
        page.Store(stored);
        EXPECT_EQ(stored.rules.highlightedSenders, c.list);
        EXPECT_TRUE(stored.rules.blockedSenders.isEmpty());  // the other lists are left alone
    }
}

// A file name is the streamer's text, never markup.
TEST(ListImport, AFileNameIsShownAsText)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("<b>名单<i>.txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("ann\n");
    file.close();
    CListsPage page{AppSettings()};
    ASSERT_TRUE(page.Import(List::BlockedKeywords, path));
    EXPECT_EQ(page.ImportNote().textFormat(), Qt::PlainText);
    EXPECT_TRUE(page.ImportNote().text().contains(QStringLiteral("<b>名单<i>.txt")));
}

}  // namespace
}  // namespace zandrel
