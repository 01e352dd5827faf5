#include "app/ListsPage.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include "app/ListFileText.h"
#include "linerules/LineFilter.h"
#include "linerules/RuleList.h"

namespace zandrel {
namespace {

const QString kListTitles[] = {
    QStringLiteral("屏蔽用户（名字或 uid，每行一个）"), QStringLiteral("屏蔽关键词（每行一个）"),
    QStringLiteral("高亮用户（名字或 uid，每行一个）"), QStringLiteral("高亮关键词（每行一个）")};

}  // namespace

CListsPage::CListsPage(const AppSettings& settings, QWidget* parent)
    : QWidget(parent), m_highlightColour(QStringLiteral("高亮颜色"), settings.look.highlightColour)
{
    const LineRuleSettings& rules = settings.rules;
    const QString* texts[] = {&rules.blockedSenders, &rules.blockedKeywords, &rules.highlightedSenders,
                              &rules.highlightedKeywords};
    auto* grid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        QPlainTextEdit& edit = m_lists[i];
        edit.setPlainText(*texts[i]);
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.setTabChangesFocus(true);
        connect(&edit, &QPlainTextEdit::textChanged, this, [this] {
            ShowProblems();
            emit changed();
        });
        auto* importButton = new QPushButton(QStringLiteral("导入..."));
        auto* exportButton = new QPushButton(QStringLiteral("导出..."));
        const List list = static_cast<List>(i);
        connect(importButton, &QPushButton::clicked, this, [this, list] {
            const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("导入列表"));
            if (path.isEmpty())
                return;
            if (const std::optional<ImportMode> mode = AskImportMode(list))
                Import(list, path, *mode);
        });
        connect(exportButton, &QPushButton::clicked, this, [this, list] {
            const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("导出列表"));
            if (!path.isEmpty())
                Export(list, path);
        });
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(new QLabel(kListTitles[i]), 1);
        buttons->addWidget(importButton);
        buttons->addWidget(exportButton);
        auto* column = new QVBoxLayout;
        column->addLayout(buttons);
        column->addWidget(&edit);
        grid->addLayout(column, i / 2, i % 2);
    }
    m_regex.setText(QStringLiteral("关键词是正则表达式"));
    m_regex.setChecked(rules.keywordsAreRegex);
    m_onlyGifts.setText(QStringLiteral("只显示礼物和高亮"));
    m_onlyGifts.setChecked(rules.onlyGiftsAndHighlights);
    for (QCheckBox* box : {&m_regex, &m_onlyGifts})
        connect(box, &QCheckBox::toggled, this, [this] {
            ShowProblems();
            emit changed();
        });
    connect(&m_highlightColour, &CColourButton::colourChanged, this, &CListsPage::changed);
    // Paths and entries are the streamer's text, never markup.
    m_problems.setTextFormat(Qt::PlainText);
    m_problems.setStyleSheet(QStringLiteral("color: #b00000"));
    m_problems.setWordWrap(true);
    m_importNote.setTextFormat(Qt::PlainText);
    m_importNote.setWordWrap(true);
    m_importNote.hide();

    auto* options = new QHBoxLayout;
    options->addWidget(&m_regex);
    options->addWidget(&m_onlyGifts);
    options->addStretch(1);
    options->addWidget(new QLabel(QStringLiteral("高亮颜色")));
    options->addWidget(&m_highlightColour);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(options);
    layout->addWidget(&m_importNote);
    layout->addWidget(&m_problems);
    ShowProblems();
}

QPlainTextEdit& CListsPage::Edit(List list) { return m_lists[static_cast<int>(list)]; }

void CListsPage::Store(AppSettings& settings) const
{
    LineRuleSettings& rules = settings.rules;
    rules.blockedSenders = m_lists[0].toPlainText();
    rules.blockedKeywords = m_lists[1].toPlainText();
    rules.highlightedSenders = m_lists[2].toPlainText();
    rules.highlightedKeywords = m_lists[3].toPlainText();
    rules.keywordsAreRegex = m_regex.isChecked();
    rules.onlyGiftsAndHighlights = m_onlyGifts.isChecked();
    settings.look.highlightColour = m_highlightColour.Colour();
}

std::optional<CListsPage::ImportMode> CListsPage::AskImportMode(List list)
{
    if (RuleEntries(Edit(list).toPlainText()).isEmpty())
        return ImportMode::Add;  // nothing to keep or to replace
    QMessageBox ask(QMessageBox::Question, QStringLiteral("导入列表"),
                    QStringLiteral("把文件里的条目添加到列表，还是替换整个列表？"), QMessageBox::Cancel, this);
    QPushButton* add = ask.addButton(QStringLiteral("添加"), QMessageBox::AcceptRole);
    QPushButton* replace = ask.addButton(QStringLiteral("替换"), QMessageBox::DestructiveRole);
    ask.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    ask.setDefaultButton(add);
    ask.exec();
    if (ask.clickedButton() == add)
        return ImportMode::Add;
    if (ask.clickedButton() == replace)
        return ImportMode::Replace;
    return std::nullopt;
}

void CListsPage::FailImport(const QString& path, const QString& reason)
{
    m_fileProblem = kUnreadableText.arg(path, reason);
    m_importNote.hide();
    ShowProblems();
}

bool CListsPage::Import(List list, const QString& path, ImportMode mode)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > AppSettings::kMaxListLength) {
        FailImport(path, file.isOpen() ? QStringLiteral("文件太大") : file.errorString());
        return false;
    }
    const ListFileText read = DecodeListFile(file.readAll());
    if (!read.encoding) {
        FailImport(path, read.problem == ListFileText::Problem::NotText ? kNotTextReason : kUnknownEncodingReason);
        return false;
    }
    // Entries as the rules read them (a line each, trimmed); one the list holds is not added again.
    QString text = mode == ImportMode::Add ? Edit(list).toPlainText() : QString();
    const QStringList held = RuleEntries(text);
    QSet<QString> entries(held.begin(), held.end());
    if (!text.isEmpty() && !text.endsWith(u'\n'))
        text += u'\n';
    int added = 0;
    for (const QString& entry : RuleEntries(read.text)) {
        if (entries.contains(entry))
            continue;
        entries.insert(entry);
        text += entry + u'\n';
        ++added;
    }
    if (text.size() > AppSettings::kMaxListLength) {
        FailImport(path, kTooLongReason);
        return false;
    }
    m_fileProblem.clear();
    const QString name = QFileInfo(path).fileName();
    m_importNote.setText(mode == ImportMode::Add ? kAddedText.arg(EncodingName(*read.encoding), name).arg(added)
                                                 : kReplacedText.arg(EncodingName(*read.encoding), name).arg(added));
    m_importNote.show();
    Edit(list).setPlainText(text);  // shows the problems and tells of the change
    return true;
}

bool CListsPage::Export(List list, const QString& path)
{
    QFile file(path);
    QByteArray text = Edit(list).toPlainText().toUtf8();
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() || !file.flush()) {
        m_fileProblem = kUnwritableText.arg(path, file.errorString());
        ShowProblems();
        return false;
    }
    m_fileProblem.clear();
    ShowProblems();
    return true;
}

void CListsPage::ShowProblems()
{
    AppSettings settings;
    Store(settings);
    QStringList lines;
    if (!m_fileProblem.isEmpty())
        lines.push_back(m_fileProblem);
    for (const RuleProblem& problem : CLineFilter(settings.rules).Problems())
        lines.push_back(QStringLiteral("%1 第 %2 行“%3”无法使用：%4")
                            .arg(problem.list)
                            .arg(problem.line)
                            .arg(problem.entry, problem.reason));
    m_problems.setText(lines.join(u'\n'));
    m_problems.setVisible(!lines.isEmpty());
}

}  // namespace zandrel
