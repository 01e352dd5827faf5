#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QWidget>

#include "app/AppSettings.h"
#include "app/ColourButton.h"

namespace zandrel {

// The settings box's page for block and highlight lists: four lists (one entry a line) that can be
// imported from and exported to a text file, regular expressions for keywords, only gifts and
// highlights, and the highlight colour. An entry or file that cannot be used is shown in red under
// the lists and changes nothing else. UI thread.
class CListsPage : public QWidget {
    Q_OBJECT
public:
    enum class List { BlockedSenders, BlockedKeywords, HighlightedSenders, HighlightedKeywords };
    static inline const QString kTitle = QStringLiteral("屏蔽与高亮");
    static inline const QString kUnreadableText = QStringLiteral("无法读取 %1：%2");
    static inline const QString kUnwritableText = QStringLiteral("无法写入 %1：%2");

    explicit CListsPage(const AppSettings& settings, QWidget* parent = nullptr);
    void Store(AppSettings& settings) const;

    QPlainTextEdit& Edit(List list);
    QCheckBox& Regex() { return m_regex; }
    QCheckBox& OnlyGifts() { return m_onlyGifts; }
    CColourButton& HighlightColour() { return m_highlightColour; }
    QLabel& Problems() { return m_problems; }
    // Puts the file's lines (UTF-8) in place of the list's; false, shown in red, when it cannot be read.
    bool Import(List list, const QString& path);
    bool Export(List list, const QString& path);

signals:
    void changed();

private:
    void ShowProblems();

    QPlainTextEdit m_lists[4];
    QCheckBox m_regex;
    QCheckBox m_onlyGifts;
    CColourButton m_highlightColour;
    QLabel m_problems;
    QString m_fileProblem;
};

}  // namespace zandrel
