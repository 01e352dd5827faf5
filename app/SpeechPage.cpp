#include "app/SpeechPage.h"

#include <QFormLayout>

namespace zandrel {

CSpeechPage::CSpeechPage(const AppSettings& settings, QWidget* parent) : QWidget(parent)
{
    const SpeechSettings& speech = settings.speech;
    m_enabled.setText(QStringLiteral("朗读弹幕"));
    m_enabled.setChecked(speech.enabled);
    m_lines.addItems({QStringLiteral("只读礼物"), QStringLiteral("礼物和高亮"), QStringLiteral("全部显示的弹幕")});
    m_lines.setCurrentIndex(static_cast<int>(speech.lines));
    m_chatTemplate.setText(speech.chatTemplate);
    m_chatTemplate.setPlaceholderText(SpeechSettings::kDefaultChatTemplate);
    m_giftTemplate.setText(speech.giftTemplate);
    m_giftTemplate.setPlaceholderText(SpeechSettings::kDefaultGiftTemplate);
    // What the templates' placeholders are read as, beside the fields and on them.
    m_chatTemplate.setToolTip(QStringLiteral("{name} 读作发弹幕的观众的昵称，{text} 读作弹幕的内容"));
    m_giftTemplate.setToolTip(QStringLiteral("{name} 读作送礼物的观众的昵称，{text} 读作礼物的说明"));
    auto* templateHelp = new QLabel(
        QStringLiteral(
            "模板里的 {name} 读作观众的昵称，{text} 读作弹幕的内容（礼物则是“送给主播10个仙豆”这样的说明）。"),
        this);
    templateHelp->setTextFormat(Qt::PlainText);
    templateHelp->setWordWrap(true);
    m_cut.setRange(0, 1000);
    m_cut.setSpecialValueText(QStringLiteral("不限"));
    m_cut.setSuffix(QStringLiteral(" 字"));
    m_cut.setValue(speech.maxTextLength);
    m_voiceName = speech.voice;
    m_voice.addItem(kDefaultVoice, QString());
    if (!speech.voice.isEmpty())
        m_voice.addItem(speech.voice, speech.voice);
    m_voice.setCurrentIndex(m_voice.count() - 1);
    m_rate.setRange(-10, 10);
    m_rate.setValue(speech.rate);
    m_volume.setRange(0, 100);
    m_volume.setSuffix(QStringLiteral(" %"));
    m_volume.setValue(speech.volume);
    m_backlog.setRange(1, 600);
    m_backlog.setSuffix(QStringLiteral(" 秒"));
    m_backlog.setValue(speech.maxBacklogSeconds);
    m_pauseHotkey.setKeySequence(QKeySequence(settings.speechHotkey, QKeySequence::PortableText));
    m_pauseHotkeyState.setStyleSheet(QStringLiteral("color: #b00000"));
    m_pauseHotkeyState.hide();
    connect(&m_pauseHotkey, &CChordEdit::refusalChanged, this, [this](const QString& why) {
        m_pauseHotkeyState.setText(why);
        m_pauseHotkeyState.setVisible(!why.isEmpty());
    });
    m_engineState.setWordWrap(true);
    m_engineState.setTextFormat(Qt::PlainText);  // the engine's own words, never markup
    SetEngineStatus(QString(), {});

    auto* form = new QFormLayout(this);
    form->addRow(&m_enabled);
    form->addRow(QStringLiteral("朗读哪些"), &m_lines);
    form->addRow(QStringLiteral("弹幕模板"), &m_chatTemplate);
    form->addRow(QStringLiteral("礼物模板"), &m_giftTemplate);
    form->addRow(QString(), templateHelp);
    form->addRow(QStringLiteral("每条最多读"), &m_cut);
    form->addRow(QStringLiteral("声音"), &m_voice);
    form->addRow(QStringLiteral("语速"), &m_rate);
    form->addRow(QStringLiteral("音量"), &m_volume);
    form->addRow(QStringLiteral("最长积压"), &m_backlog);
    form->addRow(QStringLiteral("暂停/继续热键"), &m_pauseHotkey);
    form->addRow(QString(), &m_pauseHotkeyState);
    form->addRow(&m_engineState);

    connect(&m_enabled, &QCheckBox::toggled, this, &CSpeechPage::changed);
    connect(&m_lines, &QComboBox::currentIndexChanged, this, &CSpeechPage::changed);
    connect(&m_voice, &QComboBox::currentIndexChanged, this, &CSpeechPage::changed);
    for (QLineEdit* edit : {&m_chatTemplate, &m_giftTemplate})
        connect(edit, &QLineEdit::textChanged, this, &CSpeechPage::changed);
    for (QSpinBox* box : {&m_cut, &m_rate, &m_volume, &m_backlog})
        connect(box, &QSpinBox::valueChanged, this, &CSpeechPage::changed);
    connect(&m_pauseHotkey, &QKeySequenceEdit::editingFinished, this, &CSpeechPage::changed);
}

void CSpeechPage::Store(AppSettings& settings) const
{
    SpeechSettings& speech = settings.speech;
    speech.enabled = m_enabled.isChecked();
    speech.lines = static_cast<SpeechSettings::Lines>(std::max(0, m_lines.currentIndex()));
    speech.chatTemplate =
        m_chatTemplate.text().isEmpty() ? SpeechSettings::kDefaultChatTemplate : m_chatTemplate.text();
    speech.giftTemplate =
        m_giftTemplate.text().isEmpty() ? SpeechSettings::kDefaultGiftTemplate : m_giftTemplate.text();
    speech.maxTextLength = m_cut.value();
    speech.voice = m_voice.currentData().toString();
    speech.rate = m_rate.value();
    speech.volume = m_volume.value();
    speech.maxBacklogSeconds = m_backlog.value();
    const QKeySequence key = m_pauseHotkey.keySequence();
    if (!key.isEmpty())
        settings.speechHotkey = key.toString(QKeySequence::PortableText);
}

void CSpeechPage::SetEngineStatus(const QString& problem, const SpeechVoices& voices)
{
    if (problem.isNull() && voices.isEmpty()) {
        m_engineState.setText(kEngineStarting);
        m_engineState.setStyleSheet(QString());
        return;
    }
    m_engineState.setText(problem.isEmpty() ? kEngineReady : problem);
    m_engineState.setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #b00000"));
    // The voices the engine has, by their labels, keeping the chosen one: the settings store its
    // name, which is also what finds it again in the list.
    const QSignalBlocker quiet(&m_voice);
    const QString chosen = m_voice.currentData().toString();
    m_voice.clear();
    m_voice.addItem(kDefaultVoice, QString());
    for (const SpeechVoice& voice : voices)
        m_voice.addItem(voice.label, voice.name);
    const int index = m_voice.findData(chosen);
    if (index < 0 && !chosen.isEmpty())
        m_voice.addItem(chosen, chosen);
    m_voice.setCurrentIndex(index >= 0 ? index : m_voice.count() - 1);
}

}  // namespace zandrel
