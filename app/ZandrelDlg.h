#pragma once

#include <functional>

#include <QColor>
#include <QDialog>
#include <QFont>
#include <QLineEdit>
#include <QPushButton>

#include "base/WindowMessage.h"
#include "lookup/ChatServerLookupTask.h"
#include "overlay/BubbleDlg.h"
#include "session/Barrage.h"

namespace zandrel {

// The main window: the room field and "连接". It owns the overlay and the chat session, runs the
// connect command, reports failures in message boxes captioned "提示", and stops the session when it
// closes, whichever way it is closed. UI thread only; the session reaches it with WM_BARRAGE_FAIL,
// the chat-server lookup (which runs on a thread of its own) with a queued call.
class CZandrelDlg : public QDialog, public IMessageReceiver {
    Q_OBJECT
public:
    static inline const QString kPlaceholder = QStringLiteral("请输入房间号");
    static inline const QString kCaption = QStringLiteral("提示");
    static inline const QString kEmptyRoomText = QStringLiteral("房间号不能为空！");
    static inline const QString kAboutMenuText = QStringLiteral("&About Zandrel...");
    static constexpr int kRoomFontCellHeight = 28;

    explicit CZandrelDlg(QWidget* parent = nullptr);
    ~CZandrelDlg() override;

    HWND Handle() const { return m_hWnd; }
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT OnBarrageFail(WPARAM wParam, LPARAM lParam);
    void OnConnect();
    void OnAbout();

    // Enter connects; the window stays open.
    void accept() override { OnConnect(); }
    // Esc, and the end of every close: the session stops first.
    void reject() override;

    QLineEdit& RoomEdit() { return m_editRoom; }
    QPushButton& ConnectButton() { return m_btnConnect; }
    CBarrage& Session() { return m_barrage; }
    CBubbleDlg& Overlay() { return m_bubbleDlg; }
    bool ShowsPlaceholder() const { return m_bPlaceholder; }
    bool LookingUp() const { return m_bLookingUp; }
    // For tests: how a message box is shown (a modal box captioned "提示" by default).
    void SetMessageBoxHook(std::function<void(const QString&)> hook) { m_showMessage = std::move(hook); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void OnInitDialog();
    void OnRoomFocusIn();
    void OnRoomFocusOut();
    void UpdateRoomColour();
    void ShowMessage(const QString& text);
    void OnLookupDone(unsigned lookup, const CChatServerLookupTask::Result& result);
    void EnableControls(bool enable);
    // Ends whatever runs: a lookup in progress, and the session.
    void StopAll();

    // The overlay comes first: it must outlive the session that sends to it.
    CBubbleDlg m_bubbleDlg;
    CBarrage m_barrage;
    QFont m_fontRoom;
    QLineEdit m_editRoom;
    QPushButton m_btnConnect;
    QColor m_clrText{0, 0, 0};
    QColor m_clrPlaceholder{180, 180, 180};
    bool m_bPlaceholder = true;
    std::function<void(const QString&)> m_showMessage;
    // The connect command's lookup, and which one is awaited (later results of an abandoned one are
    // ignored).
    CChatServerLookupTask m_lookup;
    bool m_bLookingUp = false;
    unsigned m_nLookup = 0;
    HWND m_hWnd;
};

}  // namespace zandrel
