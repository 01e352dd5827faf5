// The settings box's key fields on a real X server, where the program's global keys (the lock key
// and read-aloud's pause key) are key grabs on the root window. Keys are pressed through the X
// server (xdotool, by XTEST), as a keyboard presses them, so that a grab takes them as it would.
// While a field records, a press of either key reaches the field and toggles nothing; the other
// key's chord is refused with a message; and whatever ends the recording, both keys work again.
//   with_xvfb.sh key_field_tests

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <QApplication>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "app/SettingsDlg.h"
#include "app/ZandrelDlg.h"
#include "speech/SpeechEngine.h"

namespace zandrel {
namespace {

// Read-aloud's engine, silent: whether it is paused is what matters here.
class SilentEngine : public ISpeechEngine {
public:
    QString Problem() const override { return {}; }
    SpeechVoices Voices() const override { return {}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString&) override
    {
        QTimer::singleShot(0, [this] { onDone(true); });
    }
    void Stop() override {}
};

class KeyFields : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "run under with_xvfb.sh";
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty());
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"),
                        QStringLiteral("Zandrel"));
        store.clear();
        store.setValue(QStringLiteral("speech/enabled"), 1);  // its key, Ctrl+Alt+P, is grabbed
        store.sync();
        m_dialog = std::make_unique<CZandrelDlg>(nullptr, [] { return std::make_unique<SilentEngine>(); });
        m_dialog->Session().SetLogLevel(0);
        m_dialog->SetMessageBoxHook([](const QString&) {});
        m_dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dialog.get()));
        ASSERT_EQ(m_dialog->Settings().hotkey, QStringLiteral("Ctrl+Alt+L"));
        ASSERT_EQ(m_dialog->Settings().speechHotkey, QStringLiteral("Ctrl+Alt+P"));
    }
    void TearDown() override { m_dialog.reset(); }

    static void Press(const char* keys)
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keys)}), 0);
    }
    bool Paused() { return m_dialog->Features().IsSpeechPaused(); }
    bool Locked() { return m_dialog->Overlay().CtrlDlg().IsLocked(); }
    // The global keys work: each press of the lock key and of the pause key toggles its state.
    void ExpectGlobalKeysWork()
    {
        for (const bool paused : {!Paused(), Paused()}) {
            Press("ctrl+alt+p");
            EXPECT_TRUE(QTest::qWaitFor([&] { return Paused() == paused; }, 5000)) << "the pause key did nothing";
        }
        for (const bool locked : {!Locked(), Locked()}) {
            Press("ctrl+alt+l");
            EXPECT_TRUE(QTest::qWaitFor([&] { return Locked() == locked; }, 5000)) << "the lock key did nothing";
        }
    }
    // Opens the settings box, runs `edit` on it once it has the keyboard, and cancels it unless
    // `edit` answered it.
    void WithSettings(const std::function<void(CSettingsDlg&)>& edit)
    {
        QTimer::singleShot(0, [&] {
            CSettingsDlg* box = m_dialog->OpenSettings();
            ASSERT_NE(box, nullptr);
            box->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(box));
            edit(*box);
            if (box->isVisible())
                box->reject();
        });
        m_dialog->OnSettings();
    }
    // Gives `field` the keyboard: it records.
    static void Record(CSettingsDlg& box, QWidget& page, CChordEdit& field)
    {
        box.Tabs().setCurrentWidget(&page);
        field.setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(QTest::qWaitFor([&] { return field.IsRecording(); }, 5000));
    }

    std::unique_ptr<CZandrelDlg> m_dialog;
};

// The pause key pressed in the lock key's field reaches the field (read-aloud stays as it was) and is
// refused, with a message, since the pause key holds it; and the other way round. Another chord is
// taken.
TEST_F(KeyFields, AFieldRecordsTheProgramsOwnKeysAndRefusesTheOthers)
{
    ExpectGlobalKeysWork();  // the grabs are there to take the keys
    struct Case {
        const char* field;
        const char* otherKey;
        QString refusal;
        const char* freeChord;
        QString taken;
    };
    const Case cases[] = {
        {"the lock key's", "ctrl+alt+p",
         CSettingsDlg::kKeyInUseText.arg(QKeySequence(QStringLiteral("Ctrl+Alt+P")).toString(QKeySequence::NativeText),
                                         CSettingsDlg::kPauseKeyName),
         "ctrl+alt+k", QStringLiteral("Ctrl+Alt+K")},
        {"read-aloud's pause key's", "ctrl+alt+l",
         CSettingsDlg::kKeyInUseText.arg(QKeySequence(QStringLiteral("Ctrl+Alt+L")).toString(QKeySequence::NativeText),
                                         CSettingsDlg::kLockKeyName),
         "ctrl+alt+j", QStringLiteral("Ctrl+Alt+J")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        const bool lockField = c.taken == QStringLiteral("Ctrl+Alt+K");
        const bool pausedBefore = Paused();
        const bool lockedBefore = Locked();
        WithSettings([&](CSettingsDlg& box) {
            CChordEdit& field = lockField ? box.Hotkey() : box.Speech().PauseHotkey();
            QWidget& page = lockField ? *box.Hotkey().parentWidget() : box.Speech();
            QLabel& message = lockField ? box.HotkeyRefusal() : box.Speech().PauseHotkeyState();
            const QKeySequence held = field.keySequence();
            Record(box, page, field);
            Press(c.otherKey);
            ASSERT_TRUE(QTest::qWaitFor([&] { return message.isVisible(); }, 5000))
                << "the chord never reached the field";
            EXPECT_EQ(message.text(), c.refusal);
            EXPECT_EQ(field.keySequence(), held);
            EXPECT_TRUE(field.IsRecording());
            EXPECT_EQ(Paused(), pausedBefore);
            EXPECT_EQ(Locked(), lockedBefore);

            Press(c.freeChord);
            ASSERT_TRUE(QTest::qWaitFor([&] { return !field.IsRecording(); }, 5000));
            EXPECT_EQ(field.keySequence(), QKeySequence(c.taken));
            EXPECT_FALSE(message.isVisible());
            box.reject();
        });
        ExpectGlobalKeysWork();
    }
}

// Whatever ends the recording, both keys are the program's again.
TEST_F(KeyFields, TheKeysComeBackHoweverTheRecordingEnds)
{
    struct Case {
        const char* how;
        std::function<void(CSettingsDlg&)> end;
        QString held;  // what the field holds then, while the box is open
    };
    const QString lockKey = QStringLiteral("Ctrl+Alt+L");
    const Case cases[] = {
        {"a chord", [](CSettingsDlg&) { Press("ctrl+alt+k"); }, QStringLiteral("Ctrl+Alt+K")},
        {"Esc, which keeps the key", [](CSettingsDlg&) { Press("Escape"); }, lockKey},
        {"the focus moves on", [](CSettingsDlg& box) { box.FontSize().setFocus(Qt::TabFocusReason); }, lockKey},
        {"Cancel", [](CSettingsDlg& box) { box.reject(); }, {}},
        {"OK", [](CSettingsDlg& box) { box.accept(); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        WithSettings([&](CSettingsDlg& box) {
            Record(box, *box.Hotkey().parentWidget(), box.Hotkey());
            c.end(box);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !box.Hotkey().IsRecording(); }, 5000));
            if (box.isVisible()) {
                EXPECT_EQ(box.Hotkey().keySequence(), QKeySequence(c.held));
                box.reject();
            }
        });
        ExpectGlobalKeysWork();
    }
}

}  // namespace
}  // namespace zandrel
