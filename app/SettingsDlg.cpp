#include "app/SettingsDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "app/ClearPlacement.h"

namespace zandrel {

CSettingsDlg::CSettingsDlg(const AppSettings& settings, const QSize& designSize,
                           std::function<void(const AppSettings&)> preview, const SettingsContext& context,
                           QWidget* parent)
    : QDialog(parent), m_original(settings), m_designSize(designSize), m_preview(std::move(preview)),
      m_lists(new CListsPage(settings)), m_giftsMerge(new CGiftsMergePage(settings)),
      m_speech(new CSpeechPage(settings)), m_log(new CLogPage(settings, context.logFolder, context.openLogFolder)),
      m_room(new CRoomPage(settings)), m_overlayArea(context.overlayArea), m_globalKeysOff(context.globalKeysOff)
{
    setWindowTitle(kTitle);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_fontSize.setRange(AppSettings::kMinFontPointSize, AppSettings::kMaxFontPointSize);
    m_fontSize.setSuffix(QStringLiteral(" 磅"));
    m_fontSize.setValue(settings.fontPointSize);
    m_opacity.setRange(AppSettings::kMinOpacityPercent, AppSettings::kMaxOpacityPercent);
    m_opacity.setSuffix(QStringLiteral(" %"));
    m_opacity.setValue(settings.OpacityPercent());
    const QSize size = settings.overlaySize.value_or(designSize);
    m_width.setRange(AppSettings::kMinOverlayWidth, AppSettings::kMaxOverlayWidth);
    m_width.setValue(size.width());
    m_height.setRange(AppSettings::kMinOverlayHeight, AppSettings::kMaxOverlayHeight);
    m_height.setValue(size.height());
    m_hotkey.setKeySequence(QKeySequence(settings.hotkey, QKeySequence::PortableText));
    m_hotkeyState.setStyleSheet(QStringLiteral("color: #b00000"));
    m_hotkeyState.hide();
    m_hotkeyRefusal.setStyleSheet(QStringLiteral("color: #b00000"));
    m_hotkeyRefusal.hide();

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("文字大小"), &m_fontSize);
    form->addRow(QStringLiteral("不透明度"), &m_opacity);
    form->addRow(QStringLiteral("悬浮窗宽度"), &m_width);
    form->addRow(QStringLiteral("悬浮窗高度"), &m_height);
    form->addRow(QStringLiteral("锁定热键"), &m_hotkey);
    form->addRow(QString(), &m_hotkeyState);
    form->addRow(QString(), &m_hotkeyRefusal);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* look = new QWidget;
    look->setLayout(form);
    m_tabs.addTab(look, QStringLiteral("外观"));
    m_tabs.addTab(m_lists, CListsPage::kTitle);
    m_tabs.addTab(m_giftsMerge, CGiftsMergePage::kTitle);
    m_tabs.addTab(m_speech, CSpeechPage::kTitle);
    m_tabs.addTab(m_log, CLogPage::kTitle);
    m_tabs.addTab(m_room, CRoomPage::kTitle);
    m_speech->SetEngineStatus(context.speechProblem, context.voices);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&m_tabs);
    layout->addWidget(buttons);

    // A list is typed a letter at a time: its rules are compiled and the overlay redrawn once the
    // typing pauses, not at every key.
    m_typingPause.setSingleShot(true);
    m_typingPause.setInterval(300);
    connect(&m_typingPause, &QTimer::timeout, this, &CSettingsDlg::Changed);
    connect(m_lists, &CListsPage::changed, this, [this] { m_typingPause.start(); });
    connect(m_giftsMerge, &CGiftsMergePage::changed, this, &CSettingsDlg::Changed);
    connect(m_speech, &CSpeechPage::changed, this, &CSettingsDlg::Changed);
    connect(m_log, &CLogPage::changed, this, &CSettingsDlg::Changed);
    connect(m_room, &CRoomPage::changed, this, &CSettingsDlg::Changed);

    for (QSpinBox* box : {&m_fontSize, &m_opacity, &m_width, &m_height})
        connect(box, &QSpinBox::valueChanged, this, &CSettingsDlg::Changed);
    connect(&m_hotkey, &QKeySequenceEdit::editingFinished, this, &CSettingsDlg::Changed);
    connect(&m_hotkey, &QKeySequenceEdit::keySequenceChanged, this, &CSettingsDlg::UpdateHotkeyState);

    // The two keys are the program's: neither field takes the chord that the other one holds.
    CChordEdit& pauseKey = m_speech->PauseHotkey();
    const auto refuseTheOther = [](const CChordEdit& other, const QString& otherName) {
        return [&other, otherName](const QKeySequence& chord) {
            return chord == other.keySequence() ? kKeyInUseText.arg(chord.toString(QKeySequence::NativeText), otherName)
                                                : QString();
        };
    };
    m_hotkey.SetRefusal(refuseTheOther(pauseKey, kPauseKeyName));
    pauseKey.SetRefusal(refuseTheOther(m_hotkey, kLockKeyName));
    connect(&m_hotkey, &CChordEdit::refusalChanged, this, [this](const QString& why) {
        m_hotkeyRefusal.setText(why);
        m_hotkeyRefusal.setVisible(!why.isEmpty());
    });
    for (CChordEdit* field : {&m_hotkey, &pauseKey})
        connect(field, &CChordEdit::recordingChanged, this, &CSettingsDlg::UpdateGlobalKeys);
}

CSettingsDlg::~CSettingsDlg() { SetGlobalKeysOff(false); }

AppSettings CSettingsDlg::Settings() const
{
    AppSettings settings = m_original;
    settings.fontPointSize = m_fontSize.value();
    settings.SetOpacityPercent(m_opacity.value());
    if (m_opacity.value() == m_original.OpacityPercent())
        settings.alpha = m_original.alpha;  // untouched: keep it exactly (160 of 255 is not a whole percent)
    settings.overlaySize = QSize(m_width.value(), m_height.value());
    if (!m_original.overlaySize && *settings.overlaySize == m_designSize)
        settings.overlaySize.reset();  // still the design's
    const QKeySequence key = m_hotkey.keySequence();
    if (!key.isEmpty())
        settings.hotkey = key.toString(QKeySequence::PortableText);
    m_lists->Store(settings);
    m_giftsMerge->Store(settings);
    m_speech->Store(settings);
    m_log->Store(settings);
    m_room->Store(settings);
    return settings;
}

void CSettingsDlg::SetHotkeyTaken(bool taken)
{
    m_takenHotkey = taken ? QKeySequence(m_original.hotkey, QKeySequence::PortableText) : QKeySequence();
    UpdateHotkeyState();
}

void CSettingsDlg::UpdateHotkeyState()
{
    m_hotkeyState.setText(kHotkeyTakenText);
    m_hotkeyState.setVisible(!m_takenHotkey.isEmpty() && m_hotkey.keySequence() == m_takenHotkey);
}

void CSettingsDlg::UpdateGlobalKeys()
{
    SetGlobalKeysOff(m_hotkey.IsRecording() || m_speech->PauseHotkey().IsRecording());
}

void CSettingsDlg::SetGlobalKeysOff(bool off)
{
    if (off == m_bGlobalKeysOff)
        return;
    m_bGlobalKeysOff = off;
    if (m_globalKeysOff)
        m_globalKeysOff(off);
}

void CSettingsDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Once the window system has placed it.
    QMetaObject::invokeMethod(this, &CSettingsDlg::KeepClearOfOverlay, Qt::QueuedConnection);
}

void CSettingsDlg::KeepClearOfOverlay()
{
    if (!m_overlayArea || !isVisible())
        return;
    const QScreen* shown = screen();
    const QRect screenArea = shown ? shown->availableGeometry() : QRect();
    const QPoint place = PlaceClearOf(frameGeometry(), m_overlayArea(), screenArea, kOverlayGap);
    if (place != frameGeometry().topLeft())
        move(place);  // a top-level window's position is its frame's
}

void CSettingsDlg::PreviewNow()
{
    if (m_typingPause.isActive())
        m_typingPause.stop();
    Changed();
}

void CSettingsDlg::Changed()
{
    if (m_preview)
        m_preview(Settings());
    KeepClearOfOverlay();  // a wider or taller overlay may reach the box now
}

void CSettingsDlg::reject()
{
    m_typingPause.stop();
    if (m_preview)
        m_preview(m_original);
    QDialog::reject();
}

void CSettingsDlg::done(int result)
{
    SetGlobalKeysOff(false);
    QDialog::done(result);
}

}  // namespace zandrel
