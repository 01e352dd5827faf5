#include "app/ListsPage.h"

#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "linerules/LineFilter.h"

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
            if (!path.isEmpty())
                Import(list, path);
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
    m_problems.setStyleSheet(QStringLiteral("color: #b00000"));
    m_problems.setWordWrap(true);

    auto* options = new QHBoxLayout;
    options->addWidget(&m_regex);
    options->addWidget(&m_onlyGifts);
    options->addStretch(1);
    options->addWidget(new QLabel(QStringLiteral("高亮颜色")));
    options->addWidget(&m_highlightColour);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid, 1);
    layout->addLayout(options);
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

bool CListsPage::Import(List list, const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > AppSettings::kMaxListLength) {
        m_fileProblem = kUnreadableText.arg(path, file.isOpen() ? QStringLiteral("文件太大") : file.errorString());
        ShowProblems();
        return false;
    }
    const QByteArray bytes = file.readAll();
    m_fileProblem.clear();
    Edit(list).setPlainText(QString::fromUtf8(bytes));  // shows the problems and tells of the change
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
