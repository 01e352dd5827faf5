#include "app/LogPage.h"

#include <QFormLayout>
#include <QPushButton>

namespace zandrel {

CLogPage::CLogPage(const AppSettings& settings, const QString& folder, std::function<void()> openFolder,
                   QWidget* parent)
    : QWidget(parent)
{
    m_enabled.setText(QStringLiteral("保存聊天记录（每个房间每天一个文本文件）"));
    m_enabled.setChecked(settings.chatLog);
    m_keepDays.setRange(1, AppSettings::kMaxKeepLogDays);
    m_keepDays.setSuffix(QStringLiteral(" 天"));
    m_keepDays.setValue(settings.keepLogDays);
    auto* where = new QLabel(folder);
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    where->setWordWrap(true);
    auto* open = new QPushButton(QStringLiteral("打开记录文件夹"));
    connect(open, &QPushButton::clicked, this, [openFolder = std::move(openFolder)] {
        if (openFolder)
            openFolder();
    });

    auto* form = new QFormLayout(this);
    form->addRow(&m_enabled);
    form->addRow(QStringLiteral("保留"), &m_keepDays);
    form->addRow(QStringLiteral("位置"), where);
    form->addRow(QString(), open);
    connect(&m_enabled, &QCheckBox::toggled, this, &CLogPage::changed);
    connect(&m_keepDays, &QSpinBox::valueChanged, this, &CLogPage::changed);
}

void CLogPage::Store(AppSettings& settings) const
{
    settings.chatLog = m_enabled.isChecked();
    settings.keepLogDays = m_keepDays.value();
}

}  // namespace zandrel
