#include "app/ZandrelDlg.h"

#include <climits>
#include <cstdlib>

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QShortcut>

#include "app/AboutDlg.h"
#include "app/MessageBox.h"
#include "app/RoomNumber.h"
#include "base/TextCodec.h"
#include "lookup/ChatServerLookup.h"
#include "overlay/DialogUnits.h"
#include "session/Globals.h"

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

}  // namespace

CZandrelDlg::CZandrelDlg(QWidget* parent)
    : QDialog(parent), m_editRoom(this), m_btnConnect(QStringLiteral("连接"), this), m_hWnd(RegisterWindow(*this))
{
    m_showMessage = [this](const QString& text) { ShowMessageBox(*this, kCaption, text); };
    OnInitDialog();
}

CZandrelDlg::~CZandrelDlg()
{
    // A focused field that is being destroyed still reports losing the focus: by then it is no
    // QLineEdit any more, so it must not reach the placeholder logic.
    m_editRoom.removeEventFilter(this);
    StopAll();
    UnregisterWindow(m_hWnd);
    g_hMainWnd = HWND::Null;
    g_hBubbleWnd = HWND::Null;
}

void CZandrelDlg::OnInitDialog()
{
    setWindowTitle(QStringLiteral("Zandrel"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(DialogSize(367, 198));

    m_btnConnect.setGeometry(DialogRect(220, 88, 50, 23));
    m_editRoom.setGeometry(DialogRect(96, 88, 115, 23));
    m_editRoom.setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), &m_editRoom));
    setTabOrder(&m_btnConnect, &m_editRoom);
    connect(&m_btnConnect, &QPushButton::clicked, this, &CZandrelDlg::OnConnect);

    auto* about = new QShortcut(QKeySequence::HelpContents, this);
    connect(about, &QShortcut::activated, this, &CZandrelDlg::OnAbout);

    g_hMainWnd = m_hWnd;
    g_hBubbleWnd = m_bubbleDlg.Handle();

    m_fontRoom = fontWithCellHeight(m_editRoom.font(), kRoomFontCellHeight);
    m_editRoom.setFont(m_fontRoom);
    m_bPlaceholder = true;
    m_editRoom.setText(kPlaceholder);
    UpdateRoomColour();
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

void CZandrelDlg::OnConnect()
{
    if (m_bLookingUp)
        return;  // Enter while the controls wait for the lookup
    const QString room = m_editRoom.text();
    if (room.isEmpty() || room == kPlaceholder) {
        ShowMessage(kEmptyRoomText);
        m_editRoom.setFocus(Qt::OtherFocusReason);
        return;
    }
    m_barrage.UserStop();  // whatever the lookup brings, the old session is over

    // The lookup runs off this thread; the controls wait for it disabled, the window stays alive.
    EnableControls(false);
    m_bLookingUp = true;
    const unsigned lookup = ++m_nLookup;
    m_lookup.Start([this, lookup](const CChatServerLookupTask::Result& result) {
        // Lookup thread: hand the result to the UI thread. A window that is gone by then drops it.
        QMetaObject::invokeMethod(this, [this, lookup, result] { OnLookupDone(lookup, result); }, Qt::QueuedConnection);
    });
}

void CZandrelDlg::OnLookupDone(unsigned lookup, const CChatServerLookupTask::Result& result)
{
    if (!m_bLookingUp || lookup != m_nLookup)
        return;  // a lookup abandoned by a close
    m_bLookingUp = false;
    if (!result.ok) {
        ShowMessage(QString::fromStdU16String(result.errorText));
        EnableControls(true);
        return;
    }
    m_barrage.SetHost(result.host);
    m_barrage.SetPort(result.port);
    m_barrage.SetRoom(RoomNumberFromText(WideToAnsi(m_editRoom.text().toStdU16String())));
    if (!m_barrage.Start())
        EnableControls(true);
}

void CZandrelDlg::EnableControls(bool enable)
{
    m_editRoom.setEnabled(enable);
    m_btnConnect.setEnabled(enable);
}

void CZandrelDlg::StopAll()
{
    m_lookup.Cancel();
    m_bLookingUp = false;
    m_barrage.UserStop();
}

LRESULT CZandrelDlg::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return message == WM_BARRAGE_FAIL ? OnBarrageFail(wParam, lParam) : 0;
}

LRESULT CZandrelDlg::OnBarrageFail(WPARAM wParam, LPARAM)
{
    // A report from a session that has been stopped and started again since is old news.
    if (wParam != 1 || !m_barrage.Failed())
        return 0;
    ShowMessage(QString::fromStdU16String(g_strLastError));
    m_barrage.UserStop();
    EnableControls(true);
    return 0;
}

void CZandrelDlg::reject()
{
    StopAll();
    QDialog::reject();
}

void CZandrelDlg::closeEvent(QCloseEvent* event)
{
    StopAll();
    QDialog::closeEvent(event);  // ends in reject(), which finds the session stopped
}

void CZandrelDlg::contextMenuEvent(QContextMenuEvent* event)
{
    // X11 has no application system menu: the window's context menu carries its entry.
    QMenu menu(this);
    menu.addAction(kAboutMenuText, this, &CZandrelDlg::OnAbout);
    menu.exec(event->globalPos());
}

void CZandrelDlg::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

}  // namespace zandrel
