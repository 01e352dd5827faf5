#include "app/GiftsMergePage.h"

#include <QFormLayout>

namespace zandrel {

CGiftsMergePage::CGiftsMergePage(const AppSettings& settings, QWidget* parent)
    : QWidget(parent), m_giftColour(QStringLiteral("礼物颜色"), settings.look.giftColour)
{
    m_giftsStandOut.setText(QStringLiteral("礼物用醒目的颜色和粗体显示"));
    m_giftsStandOut.setChecked(settings.look.giftsStandOut);
    m_merge.setText(QStringLiteral("合并重复的弹幕（显示 ×N）"));
    m_merge.setChecked(settings.rules.mergeRepeats);
    m_mergeSeconds.setRange(1, LineRuleSettings::kMaxMergeSeconds);
    m_mergeSeconds.setSuffix(QStringLiteral(" 秒内"));
    m_mergeSeconds.setValue(settings.rules.mergeSeconds);

    auto* form = new QFormLayout(this);
    form->addRow(&m_giftsStandOut);
    form->addRow(QStringLiteral("礼物颜色"), &m_giftColour);
    form->addRow(&m_merge);
    form->addRow(QStringLiteral("合并"), &m_mergeSeconds);

    connect(&m_giftsStandOut, &QCheckBox::toggled, this, &CGiftsMergePage::changed);
    connect(&m_merge, &QCheckBox::toggled, this, &CGiftsMergePage::changed);
    connect(&m_giftColour, &CColourButton::colourChanged, this, &CGiftsMergePage::changed);
    connect(&m_mergeSeconds, &QSpinBox::valueChanged, this, &CGiftsMergePage::changed);
}

void CGiftsMergePage::Store(AppSettings& settings) const
{
    settings.look.giftsStandOut = m_giftsStandOut.isChecked();
    settings.look.giftColour = m_giftColour.Colour();
    settings.rules.mergeRepeats = m_merge.isChecked();
    settings.rules.mergeSeconds = m_mergeSeconds.value();
}

}  // namespace zandrel
