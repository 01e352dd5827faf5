#pragma once

#include <QDBusConnection>
#include <QKeySequence>
#include <QObject>
#include <QString>

class QDBusMessage;

namespace zandrel {

struct PortalShortcut;

// The lock key through the desktop's GlobalShortcuts portal (org.freedesktop.portal.GlobalShortcuts,
// KDE Plasma 5.27 and later), which reaches the program whichever window has the keyboard, native
// Wayland games included, where no program may grab a key itself. The desktop may ask the user to
// confirm the key, or let them choose another in its own settings; what it binds is the shortcut
// "toggle-lock".
//
// Binding is a conversation: CreateSession, then BindShortcuts, each answered by a Response signal on
// a request object. Bound or not, the result comes as a signal. Activated signals of the session
// then come as activated(). UI thread only; the bus is given at construction (the session bus, or a
// test's own).
class CGlobalShortcutPortal : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kShortcutId = "toggle-lock";

    explicit CGlobalShortcutPortal(QDBusConnection bus, QObject* parent = nullptr);
    ~CGlobalShortcutPortal() override;

    // Asks the desktop to bind `key` as the lock key. The answer is bound(), failed(), or
    // unavailable() where there is no session bus or no such portal on it.
    void Bind(const QKeySequence& key);
    bool IsBound() const { return m_bound; }

    // The key as the desktop's shortcut portal takes it ("CTRL+ALT+l": modifiers in capitals, the key by
    // its XKB name).
    static QString TriggerText(const QKeySequence& key);

signals:
    void bound();
    void failed(const QString& why);
    void unavailable();
    void activated();

private slots:
    void OnRequestResponse(const QDBusMessage& message);
    void OnActivated(const QDBusMessage& message);

private:
    enum class Step { None, CreatingSession, Binding };
    QString WatchRequest(const QString& token);
    void BindInSession();
    void Call(const QDBusMessage& call);
    PortalShortcut LockShortcut() const;
    void Fail(const QString& why);

    QDBusConnection m_bus;
    Step m_step = Step::None;
    QString m_requestPath;  // the request whose Response is awaited
    QString m_sessionPath;
    QString m_trigger;
    bool m_bound = false;
    unsigned m_tokens = 0;
};

}  // namespace zandrel
