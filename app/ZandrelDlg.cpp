#include "app/ZandrelDlg.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QFontMetrics>
#include <QMenu>
#include <QSettings>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolTip>

#include "app/AboutDlg.h"
#include "app/MessageBox.h"
#include "app/RoomField.h"
#include "app/RoomNumber.h"
#include "app/SettingsDlg.h"
#include "app/TrayIcon.h"
#include "base/TextCodec.h"
#include "lookup/ChatServerLookup.h"
#include "overlay/DialogUnits.h"
#include "session/SessionStatus.h"

namespace zandrel {
namespace {

// The font whose character cell (ascent plus descent) comes nearest to `cellHeight` pixels: the
// room field asks for text of that height, line spacing included, and a font's em size is smaller
// than its cell.
QFont fontWithCellHeight(QFont font, int cellHeight)
{
    int best = cellHeight;
    int bestError = INT_MAX;
    for (int pixels = cellHeight / 2; pixels <= cellHeight; ++pixels) {
        font.setPixelSize(pixels);
        const int error = std::abs(QFontMetrics(font).height() - cellHeight);
        if (error < bestError) {
            best = pixels;
            bestError = error;
        }
    }
    font.setPixelSize(best);
    return font;
}

// Where the settings are kept: the platform's usual place for this program's.
QSettings OpenSettingsStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"),
                     QStringLiteral("Zandrel"));
}

}  // namespace

QString CZandrelDlg::ChatLogFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/logs");
}

CZandrelDlg::CZandrelDlg(QWidget* parent, CSpeechReader::EngineFactory makeEngine)
    : QDialog(parent), m_features(ChatLogFolder(), std::move(makeEngine)), m_hWnd(RegisterWindow(*this)),
      m_sessionSink(m_bubbleDlg.Queue(), m_bubbleDlg.Handle(), m_hWnd), m_barrage(m_sessionSink), m_editRoom(this),
      m_btnConnect(QStringLiteral("连接"), this), m_btnDisconnect(kDisconnectText, this), m_status(this)
{
    // Above the settings box while it is open: it holds the input, and a box of this window's
    // could not be answered meanwhile.
    m_showMessage = [this](const QString& text) {
        ShowMessageBox(m_settingsDlg ? static_cast<QWidget&>(*m_settingsDlg) : *this, kCaption, text);
    };
    m_notify = [this](const QString& text) {
        m_notification.Show(kCaption, text, [this, text] { m_tray->ShowMessage(kCaption, text); });
    };
    connect(&m_notification, &CDesktopNotification::failed, this, [](const QString& why) {
        std::fprintf(stderr, "zandrel: no desktop notification (%s); the tray tells it\n", qPrintable(why));
    });
    connect(&m_folderOpener, &CFolderOpener::failed, this, [this](const QString& folder) {
        ShowMessage(kLogFolderNotOpenedText.arg(QDir::toNativeSeparators(folder)));
    });
    m_reconnectCountdown.setSingleShot(true);
    connect(&m_reconnectCountdown, &QTimer::timeout, this, &CZandrelDlg::OnReconnectCountdown);
    OnInitDialog();
}

CZandrelDlg::~CZandrelDlg()
{
    // A focused field that is being destroyed still reports losing the focus: by then it is no
    // QLineEdit any more, so it must not reach the placeholder logic.
    m_editRoom.removeEventFilter(this);
    StopAll();
    m_hotkey.Unregister();
    UnregisterWindow(m_hWnd);
}

void CZandrelDlg::OnInitDialog()
{
    setWindowTitle(QStringLiteral("Zandrel"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(DialogSize(367, 198));

    m_btnConnect.setGeometry(DialogRect(220, 88, 50, 23));
    m_editRoom.setGeometry(DialogRect(96, 88, 115, 23));
    m_editRoom.setValidator(new CRoomNumberValidator(&m_editRoom));
    // A keystroke or paste that the field refuses leaves it as it was; a tip says why.
    connect(&m_editRoom, &QLineEdit::inputRejected, this, [this] {
        QToolTip::showText(m_editRoom.mapToGlobal(QPoint(0, m_editRoom.height())), kRoomNumberRule, &m_editRoom);
    });
    setTabOrder(&m_btnConnect, &m_editRoom);
    connect(&m_btnConnect, &QPushButton::clicked, this, &CZandrelDlg::OnConnect);
    // Shown only while a session runs or a lookup is under way; the first look is the design's.
    m_btnDisconnect.setGeometry(DialogRect(276, 88, 50, 23));
    m_btnDisconnect.setAutoDefault(false);
    m_btnDisconnect.hide();
    connect(&m_btnDisconnect, &QPushButton::clicked, this, &CZandrelDlg::OnDisconnect);
    m_status.setGeometry(DialogRect(96, 118, 230, 24));
    m_status.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_status.setWordWrap(true);
    SetStatus(StatusLine::Idle());

    auto* about = new QShortcut(QKeySequence::HelpContents, this);
    connect(about, &QShortcut::activated, this, &CZandrelDlg::OnAbout);
    auto* settings = new QShortcut(QKeySequence(QStringLiteral("Ctrl+,")), this);
    connect(settings, &QShortcut::activated, this, &CZandrelDlg::OnSettings);

    // Before the overlay first shows: on a layer shell it never shows as a window.
    m_overlayDisplay = ChooseOverlayDisplay(m_bubbleDlg, m_bubbleDlg.CtrlDlg(), CurrentOverlayDisplayEnvironment());
    if (m_overlayDisplay->Name() != QLatin1String("windows"))
        std::fprintf(stderr, "zandrel: the overlay is shown on a %s\n", qPrintable(m_overlayDisplay->Name()));

    m_fontRoom = fontWithCellHeight(m_editRoom.font(), kRoomFontCellHeight);
    m_editRoom.setFont(m_fontRoom);

    // What was remembered: the room last joined, and the overlay's look, place and hotkey.
    QSettings store = OpenSettingsStore();
    m_settings = LoadSettings(store, &m_settingsNotice);
    m_bPlaceholder = m_settings.lastRoom.isEmpty();
    m_editRoom.setText(m_bPlaceholder ? kPlaceholder : m_settings.lastRoom);
    UpdateRoomColour();
    m_features.RemoveOldLogs(m_settings.keepLogDays);
    connect(&m_bubbleDlg, &CBubbleDlg::linesBlocked, this, [this](int count) {
        m_nBlocked += count;
        SetStatus(m_statusLine);
    });
    connect(&m_features, &CRoomFeatures::logProblem, this, [this] { SetStatus(m_statusLine); });
    connect(&m_features, &CRoomFeatures::speechNotice, this, [this] { SetStatus(m_statusLine); });
    connect(&m_features, &CRoomFeatures::speechStatus, this,
            [this](const QString& problem, const SpeechVoices& voices) {
                if (m_settingsDlg)
                    m_settingsDlg->Speech().SetEngineStatus(problem, voices);
                if (!problem.isEmpty())
                    std::fprintf(stderr, "zandrel: read-aloud: %s\n", qPrintable(problem));
            });
    ApplySettings(m_settings);
    if (m_settings.overlayPosition)
        m_bubbleDlg.RestorePosition(*m_settings.overlayPosition);
    // The desktop's portal keeps its binding while a key field records: its presses are ignored then.
    const auto toggleLock = [this] {
        if (!m_bGlobalKeysOff)
            m_bubbleDlg.CtrlDlg().ToggleLock();
    };
    connect(&m_hotkey, &CGlobalHotkey::activated, this, toggleLock);
    connect(&m_shortcutPortal, &CGlobalShortcutPortal::activated, this, toggleLock);
    connect(&m_shortcutPortal, &CGlobalShortcutPortal::bound, this, [this] {
        std::fprintf(stderr, "zandrel: the desktop's shortcut portal binds the lock key %s\n",
                     qPrintable(m_settings.hotkey));
        RegisterHotkey();
    });
    connect(&m_shortcutPortal, &CGlobalShortcutPortal::failed, this, [](const QString& why) {
        std::fprintf(stderr, "zandrel: the desktop's shortcut portal did not bind the lock key: %s\n", qPrintable(why));
    });
    RegisterHotkey();
    m_shortcutPortal.Bind(QKeySequence(m_settings.hotkey, QKeySequence::PortableText));
    m_tray = std::make_unique<CTrayIcon>(CTrayIcon::Actions{
        [this] { return m_bubbleDlg.CtrlDlg().IsLocked(); },
        [this] { m_bubbleDlg.CtrlDlg().ToggleLock(); },
        [this] { return m_bubbleDlg.isVisible(); },
        [this] { m_bubbleDlg.setVisible(!m_bubbleDlg.isVisible()); },
        [this] { OnSettings(); },
        [this] { close(); },
        [this] { return m_features.IsSpeechReady(); },
        [this] { return m_features.IsSpeechPaused(); },
        [this] { m_features.ToggleSpeechPaused(); },
        [this] { OpenLogFolder(); },
        [this] { return isVisible(); },
        [this] { ShowMainWindow(); },
        [this] { hide(); },
        [this] { return m_bLookingUp || m_barrage.IsRunning(); },
        [this] { OnConnect(); },
        [this] { OnDisconnect(); },
    });
    m_editRoom.installEventFilter(this);
    // The button holds the focus when the window opens, so the field shows its placeholder.
    m_btnConnect.setFocus(Qt::OtherFocusReason);
}

bool CZandrelDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_editRoom) {
        if (event->type() == QEvent::FocusIn)
            OnRoomFocusIn();
        else if (event->type() == QEvent::FocusOut)
            OnRoomFocusOut();
    }
    return QDialog::eventFilter(watched, event);
}

void CZandrelDlg::OnRoomFocusIn()
{
    if (m_editRoom.text() == kPlaceholder)
        m_editRoom.clear();
    m_bPlaceholder = false;
    UpdateRoomColour();
}

void CZandrelDlg::OnRoomFocusOut()
{
    if (m_editRoom.text().isEmpty()) {
        m_editRoom.setText(kPlaceholder);
        m_bPlaceholder = true;
    } else {
        m_bPlaceholder = false;
    }
    UpdateRoomColour();
}

void CZandrelDlg::UpdateRoomColour()
{
    // The enabled field's text only: a disabled field keeps the style's grey.
    QPalette colours = m_editRoom.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::Text, m_bPlaceholder ? m_clrPlaceholder : m_clrText);
    m_editRoom.setPalette(colours);
}

void CZandrelDlg::ShowMessage(const QString& text)
{
    if (m_showMessage)
        m_showMessage(text);
}

void CZandrelDlg::ReportFailure(const QString& text)
{
    // The notification first: the box waits for the streamer's answer.
    if (m_notify)
        m_notify(text);
    ShowMessage(text);
}

bool CZandrelDlg::AutoConnect()
{
    if (!m_settings.autoConnect || m_settings.lastRoom.isEmpty())
        return false;
    m_editRoom.setText(m_settings.lastRoom);
    m_bPlaceholder = false;
    UpdateRoomColour();
    OnConnect();
    return true;
}

void CZandrelDlg::ShowMainWindow()
{
    showNormal();
    raise();
    activateWindow();
}

void CZandrelDlg::OnConnect()
{
    ZANDREL_ASSERT_UI_THREAD();
    if (m_bLookingUp)
        return;  // Enter while the controls wait for the lookup
    const QString room = m_editRoom.text();
    if (room.isEmpty() || room == kPlaceholder) {
        ShowMessage(kEmptyRoomText);
        m_editRoom.setFocus(Qt::OtherFocusReason);
        return;
    }
    m_barrage.UserStop();  // whatever the lookup brings, the old session is over
    EndReconnectSeries();

    // The lookup runs off this thread; the controls wait for it disabled, the window stays alive.
    EnableControls(false);
    m_bLookingUp = true;
    m_nRoom = RoomNumberFromText(WideToAnsi(room.toStdU16String()));
    // The old session is stopped: the overlay marks where the new room's lines begin.
    m_bubbleDlg.BeginRoom(m_nRoom, m_settings.clearOnNewRoom);
    m_nBlocked = 0;
    m_features.SetRoom(m_nRoom);
    SetStatus(StatusLine::Of(StatusLine::State::LookingUp, m_nRoom));
    const unsigned lookup = ++m_nLookup;
    m_lookup.Start([this, lookup](const CChatServerLookupTask::Result& result) {
        // Lookup thread: hand the result to the UI thread. A window that is gone by then drops it.
        QMetaObject::invokeMethod(
            this, [this, lookup, result] { OnLookupDone(lookup, result); }, Qt::QueuedConnection);
    });
}

void CZandrelDlg::OnLookupDone(unsigned lookup, const CChatServerLookupTask::Result& result)
{
    ZANDREL_ASSERT_UI_THREAD();
    if (!m_bLookingUp || lookup != m_nLookup)
        return;  // a lookup abandoned by a close
    m_bLookingUp = false;
    if (!result.ok) {
        const QString error = QString::fromStdU16String(result.errorText);
        SetStatus(StatusLine::Failure(m_nRoom, error));
        EnableControls(true);
        ReportFailure(error);
        return;
    }
    m_barrage.SetHost(result.host);
    m_barrage.SetPort(result.port);
    m_barrage.SetRoom(m_nRoom);
    if (!m_barrage.Start()) {
        SetStatus(StatusLine::Idle());
        EnableControls(true);
    }
    // The room is remembered once the server has let the session in (see OnBarrageStatus): a
    // refused room is no room to come back to.
}

void CZandrelDlg::EnableControls(bool enable)
{
    m_editRoom.setEnabled(enable);
    m_btnConnect.setEnabled(enable);
    m_btnDisconnect.setVisible(!enable);
}

void CZandrelDlg::StopAll()
{
    m_lookup.Cancel();
    m_bLookingUp = false;
    m_barrage.UserStop();
    EndReconnectSeries();
}

void CZandrelDlg::EndReconnectSeries()
{
    m_nReconnectAttempt = 0;
    m_reconnectCountdown.stop();
}

void CZandrelDlg::OnDisconnect()
{
    // Promptly, as closing is: then the overlay goes, with whatever the session had queued for it,
    // and the room can be changed.
    StopAll();
    m_bubbleDlg.Queue().Clear();
    // Nothing of the session's comes now: the repeats' runs end. (Not at every stop: where the
    // overlay still takes what the session queued, at a new room or a close, they end after that,
    // at the new room or the program's end, so that no run is logged twice.)
    m_features.EndRepeatRuns();
    m_bubbleDlg.hide();
    SetStatus(StatusLine::Idle());
    EnableControls(true);
}

void CZandrelDlg::SetStatus(StatusLine status)
{
    m_statusLine = std::move(status);
    QString text = StatusText(m_statusLine);
    if (m_bHotkeyTaken)
        text += QLatin1Char('\n') +
                kHotkeyTakenText.arg(
                    QKeySequence(m_settings.hotkey, QKeySequence::PortableText).toString(QKeySequence::NativeText));
    if (m_nBlocked > 0)
        text += QStringLiteral("，") + kBlockedText.arg(m_nBlocked);
    if (!m_features.LogProblem().isEmpty())
        text += QLatin1Char('\n') + m_features.LogProblem();
    if (const QString speech = m_features.SpeechNotice(); !speech.isEmpty())
        text += QLatin1Char('\n') + speech;
    if (!m_settingsNotice.isEmpty())
        text += QLatin1Char('\n') + m_settingsNotice;
    if (text != m_status.text()) {
        m_status.setText(text);
        emit statusChanged(text);
    }
    // One story in both places: while the session is away from the room, the overlay (which the
    // streamer watches) says what the status line says.
    m_bubbleDlg.SetStatusStrip(m_statusLine.state == StatusLine::State::Reconnecting ? StatusText(m_statusLine)
                                                                                     : QString());
}

LRESULT CZandrelDlg::OnBarrageStatus(WPARAM wParam, LPARAM lParam)
{
    // A session that has been stopped since it posted this is old news.
    if (!m_barrage.IsRunning() || m_barrage.Failed())
        return 0;
    switch (static_cast<SessionStatus>(wParam)) {
    case SessionStatus::Joining:
        // A join that is one of a reconnect series is that reconnect under way.
        if (m_nReconnectAttempt > 0) {
            m_reconnectCountdown.stop();
            SetStatus(StatusLine::Reconnect(m_nRoom, m_nReconnectAttempt, 0));
        } else {
            SetStatus(StatusLine::Of(StatusLine::State::Joining, m_nRoom));
        }
        break;
    case SessionStatus::Connected:
        EndReconnectSeries();
        SetStatus(StatusLine::Of(StatusLine::State::Connected, m_nRoom));
        if (m_settings.lastRoom != m_editRoom.text()) {
            m_settings.lastRoom = m_editRoom.text();
            Save();
        }
        break;
    case SessionStatus::Reconnecting:
        m_nReconnectAttempt = ReconnectAttempt(lParam);
        m_reconnectAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(ReconnectDelayMs(lParam));
        OnReconnectCountdown();
        break;
    }
    return 0;
}

void CZandrelDlg::OnReconnectCountdown()
{
    // Whole seconds left, rounded up, and the next look when that number changes: the count goes
    // down a second at a time, in step with the moment the reconnect is due.
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(m_reconnectAt - steady_clock::now()).count();
    const int seconds = left > 0 ? static_cast<int>((left + 999) / 1000) : 0;
    if (seconds > 0)
        m_reconnectCountdown.start(static_cast<int>(left - (seconds - 1) * 1000LL));
    else
        m_reconnectCountdown.stop();  // the reconnect is due; its join says when it is under way
    SetStatus(StatusLine::Reconnect(m_nRoom, m_nReconnectAttempt, seconds));
}

void CZandrelDlg::ApplySettings(const AppSettings& settings)
{
    m_bubbleDlg.SetLook(settings.fontPointSize, settings.alpha / 255.0,
                        settings.overlaySize.value_or(CBubbleDlg::DesignSize()));
    m_bubbleDlg.SetLineRules(settings.rules, settings.look);
    m_features.Apply(settings);
    // Lines are passed on only while someone listens: an overlay with neither read-aloud nor the
    // log copies nothing.
    if (settings.chatLog || settings.speech.enabled)
        m_bubbleDlg.SetLineListener([this](const std::vector<PassedLine>& lines) { m_features.OnLines(lines); });
    else
        m_bubbleDlg.SetLineListener(nullptr);
}

void CZandrelDlg::RegisterHotkey()
{
    if (m_bGlobalKeysOff)
        return;  // taken when the key field's recording ends
    const QKeySequence key(m_settings.hotkey, QKeySequence::PortableText);
    if (m_shortcutPortal.IsBound()) {
        // The desktop holds the key for this program; a grab of our own would toggle twice.
        m_hotkey.Unregister();
        m_bHotkeyTaken = false;
        SetStatus(m_statusLine);
        if (m_settingsDlg)
            m_settingsDlg->SetHotkeyTaken(false);
        return;
    }
    const CGlobalHotkey::Result result = m_hotkey.Register(key);
    m_bHotkeyTaken = result == CGlobalHotkey::Result::Taken;
    if (m_bHotkeyTaken)
        std::fprintf(stderr, "zandrel: the hotkey %s is taken by another program\n", qPrintable(m_settings.hotkey));
    SetStatus(m_statusLine);
    if (m_settingsDlg)
        m_settingsDlg->SetHotkeyTaken(m_bHotkeyTaken);
}

void CZandrelDlg::SetGlobalKeysOff(bool off)
{
    if (off == m_bGlobalKeysOff)
        return;
    m_bGlobalKeysOff = off;
    if (off)
        m_hotkey.Unregister();
    else
        RegisterHotkey();
    m_features.SetPauseKeyOff(off);
}

void CZandrelDlg::Save()
{
    m_settings.overlayPosition = m_bubbleDlg.pos();
    QSettings store = OpenSettingsStore();
    const QString notice = SaveSettings(store, m_settings) ? QString() : kSettingsUnwritableText;
    if (notice != m_settingsNotice) {
        m_settingsNotice = notice;  // written: what the load found is mended
        SetStatus(m_statusLine);
    }
}

QString CZandrelDlg::OnInstanceCommand(const InstanceCommand& command)
{
    ZANDREL_ASSERT_UI_THREAD();
    switch (command.kind) {
    case InstanceCommand::Kind::Show:
        showNormal();
        raise();
        activateWindow();
        break;
    case InstanceCommand::Kind::ToggleLock:
        m_bubbleDlg.CtrlDlg().ToggleLock();
        break;
    case InstanceCommand::Kind::Connect:
        StopAll();  // a lookup under way too: the command names the room now
        m_editRoom.setText(QString::number(command.room));
        m_bPlaceholder = false;
        UpdateRoomColour();
        OnConnect();
        break;
    case InstanceCommand::Kind::Disconnect:
        OnDisconnect();
        break;
    }
    return QStringLiteral("ok");
}

void CZandrelDlg::OnSettings()
{
    if (m_settingsDlg) {
        m_settingsDlg->raise();
        m_settingsDlg->activateWindow();
        return;
    }
    const SettingsContext context{m_features.SpeechProblem(),
                                  m_features.Voices(),
                                  m_features.LogFolder(),
                                  [this] { OpenLogFolder(); },
                                  [this] { return m_bubbleDlg.isVisible() ? m_bubbleDlg.frameGeometry() : QRect(); },
                                  [this](bool off) { SetGlobalKeysOff(off); }};
    // A preview of a wider or taller overlay may move it (to the screen's edge, where it fits): each
    // preview, Cancel's among them, starts again from the place the box found, so that a size that
    // fits there again puts the overlay back there, and Cancel leaves it where it was.
    const QPoint placeBefore = m_bubbleDlg.pos();
    CSettingsDlg box(
        m_settings, CBubbleDlg::DesignSize(),
        [this, placeBefore](const AppSettings& shown) {
            ApplySettings(shown);
            m_bubbleDlg.RestorePosition(placeBefore);
        },
        context, this);
    m_settingsDlg = &box;
    box.SetHotkeyTaken(m_bHotkeyTaken);
    const bool accepted = box.exec() == QDialog::Accepted;
    m_settingsDlg = nullptr;
    if (!accepted)
        return;
    const AppSettings chosen = box.Settings();
    const bool newHotkey = chosen.hotkey != m_settings.hotkey;
    m_settings = chosen;
    ApplySettings(m_settings);
    if (newHotkey) {
        RegisterHotkey();
        if (m_shortcutPortal.IsBound())  // the desktop is asked for the new key in the same session
            m_shortcutPortal.Bind(QKeySequence(m_settings.hotkey, QKeySequence::PortableText));
    }
    Save();
}

LRESULT CZandrelDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    ZANDREL_ASSERT_UI_THREAD();
    switch (message) {
    case WM_BARRAGE_FAIL:
        return OnBarrageFail(wParam, lParam);
    case WM_BARRAGE_STATUS:
        return OnBarrageStatus(wParam, lParam);
    default:
        return 0;
    }
}

LRESULT CZandrelDlg::OnBarrageFail(WPARAM wParam, LPARAM)
{
    // A report from a session that has been stopped and started again since is old news.
    if (wParam != 1 || !m_barrage.Failed())
        return 0;
    const QString error = QString::fromStdU16String(m_sessionSink.FailureReason());
    EndReconnectSeries();
    SetStatus(StatusLine::Failure(m_nRoom, error));
    m_barrage.UserStop();
    m_features.EndRepeatRuns();
    EnableControls(true);
    ReportFailure(error);
    return 0;
}

void CZandrelDlg::reject()
{
    StopAll();
    Save();
    QDialog::reject();
}

void CZandrelDlg::closeEvent(QCloseEvent* event)
{
    StopAll();
    QDialog::closeEvent(event);  // ends in reject(), which finds the session stopped
}

void CZandrelDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // X11 has no application system menu: the window's context menu carries its entries.
    QMenu menu(this);
    menu.addAction(kSettingsMenuText, this, &CZandrelDlg::OnSettings);
    menu.addAction(AboutMenuText(), this, &CZandrelDlg::OnAbout);
    menu.addAction(CTrayIcon::kOpenLogFolderText, this, &CZandrelDlg::OpenLogFolder);
    // As in the tray: there, greyed while no engine speaks.
    const bool speechReady = m_features.IsSpeechReady();
    QAction* speech = menu.addAction(speechReady && m_features.IsSpeechPaused() ? CTrayIcon::kResumeSpeechText
                                                                                : CTrayIcon::kPauseSpeechText,
                                     &m_features, &CRoomFeatures::ToggleSpeechPaused);
    speech->setEnabled(speechReady);
    menu.exec(event->globalPos());
}

void CZandrelDlg::OpenLogFolder() { m_folderOpener.Open(m_features.MakeLogFolder()); }

void CZandrelDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

}  // namespace zandrel
