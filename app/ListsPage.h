#pragma once

#include <optional>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

#include "app/AppSettings.h"
#include "app/ColourButton.h"

namespace zandrel {

// The settings box's page for block and highlight lists: four lists (one entry a line) that can be
// imported from and exported to a text file, regular expressions for keywords, only gifts and
// highlights, and the highlight colour. An import adds the file's entries that the list lacks (or
// replaces the list, if the streamer chooses), in whichever encoding the file was saved (see
// ListFileText), and says which it read. An entry or file that cannot be used is shown in red under
// the lists and changes nothing else. UI thread.
class CListsPage : public QWidget {
    Q_OBJECT
public:
    enum class List { BlockedSenders, BlockedKeywords, HighlightedSenders, HighlightedKeywords };
    static inline const QString kTitle = QStringLiteral("屏蔽与高亮");
    static inline const QString kUnreadableText = QStringLiteral("无法读取 %1：%2");
    static inline const QString kUnwritableText = QStringLiteral("无法写入 %1：%2");
    static inline const QString kNotTextReason = QStringLiteral("不是文本文件");
    static inline const QString kUnknownEncodingReason =
        QStringLiteral("无法识别它的编码（可以导入 UTF-8、UTF-16 和 GB18030 编码的文本）");
    static inline const QString kTooLongReason = QStringLiteral("导入后列表太长");
    // "已按 GB18030 编码读取 list.txt，新增 3 条": the encoding, the file, the entries added.
    static inline const QString kAddedText = QStringLiteral("已按 %1 编码读取 %2，新增 %3 条");
    static inline const QString kReplacedText = QStringLiteral("已按 %1 编码读取 %2，列表换成其中的 %3 条");
    enum class ImportMode { Add, Replace };

    explicit CListsPage(const AppSettings& settings, QWidget* parent = nullptr);
    void Store(AppSettings& settings) const;

    QPlainTextEdit& Edit(List list);
    QCheckBox& Regex() { return m_regex; }
    QCheckBox& OnlyGifts() { return m_onlyGifts; }
    CColourButton& HighlightColour() { return m_highlightColour; }
    QLabel& Problems() { return m_problems; }
    // What the last import read.
    QLabel& ImportNote() { return m_importNote; }
    // Adds the file's entries that the list lacks, or puts them in place of the list's; false, shown
    // in red, when it cannot be read.
    bool Import(List list, const QString& path, ImportMode mode = ImportMode::Add);
    bool Export(List list, const QString& path);

signals:
    void changed();

private:
    void ShowProblems();
    void FailImport(const QString& path, const QString& reason);
    // Asks whether the file adds to the list or replaces it; none when the streamer cancels.
    std::optional<ImportMode> AskImportMode(List list);

    QPlainTextEdit m_lists[4];
    QCheckBox m_regex;
    QCheckBox m_onlyGifts;
    CColourButton m_highlightColour;
    QLabel m_problems;
    QLabel m_importNote;
    QString m_fileProblem;
};

}  // namespace zandrel
