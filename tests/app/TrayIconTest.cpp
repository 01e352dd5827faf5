// The tray's menu and the main window's context menu: their entries stay in one order in every state,
// and read-aloud's pause is greyed, not taken out, while no engine speaks.

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <vector>

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "app/MainWindowFixture.h"
#include "app/RoomFeatures.h"
#include "app/TrayIcon.h"
#include "app/ZandrelDlg.h"

namespace zandrel {
namespace {

// What a menu shows: each entry's text ("-" for a separator), whether it is there and whether it acts.
struct Entry {
    QString text;
    bool visible;
    bool enabled;
};

std::vector<Entry> entries(const QMenu& menu)
{
    std::vector<Entry> out;
    for (const QAction* action : menu.actions())
        out.push_back(
            {action->isSeparator() ? QStringLiteral("-") : action->text(), action->isVisible(), action->isEnabled()});
    return out;
}

struct TrayState {
    const char* label;
    bool speechReady;
    bool speechPaused;
    bool sessionActive;
    bool locked;
    bool overlayShown;
};

TEST(TrayMenu, KeepsItsEntriesInOneOrderAndGreysThePauseWhileNoEngineSpeaks)
{
    TrayState state{};
    CTrayIcon::Actions actions;
    actions.isLocked = [&] { return state.locked; };
    actions.toggleLock = [] {};
    actions.isOverlayShown = [&] { return state.overlayShown; };
    actions.toggleOverlay = [] {};
    actions.settings = [] {};
    actions.quit = [] {};
    actions.isSpeechReady = [&] { return state.speechReady; };
    actions.isSpeechPaused = [&] { return state.speechPaused; };
    int toggled = 0;
    actions.toggleSpeech = [&] { ++toggled; };
    actions.isSessionActive = [&] { return state.sessionActive; };
    CTrayIcon tray(actions);

    const TrayState states[] = {
        // Read-aloud off, or its engine starting or failed: nothing to pause, though the pause
        // key may have paused the reader before.
        {"read-aloud off, nothing on", false, false, false, false, false},
        {"no engine speaks, paused before", false, true, true, true, true},
        {"an engine speaks", true, false, true, false, true},
        {"an engine speaks, paused", true, true, false, true, false},
    };
    const std::vector<QString> kinds = {CTrayIcon::kShowMainWindowText,
                                        QString(),  // 连接 or 断开
                                        QStringLiteral("-"),
                                        QString(),  // 锁定 or 解锁
                                        QString(),  // 显示 or 隐藏
                                        QString(),  // 暂停 or 继续朗读
                                        CTrayIcon::kOpenLogFolderText,
                                        CTrayIcon::kSettingsText,
                                        QStringLiteral("-"),
                                        CTrayIcon::kQuitText};
    constexpr std::size_t kSpeechEntry = 5;
    for (const TrayState& s : states) {
        SCOPED_TRACE(s.label);
        state = s;
        emit tray.Menu().aboutToShow();
        const std::vector<Entry> shown = entries(tray.Menu());
        ASSERT_EQ(shown.size(), kinds.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(shown[i].visible);
            if (!kinds[i].isEmpty()) {
                EXPECT_EQ(shown[i].text, kinds[i]);
            }
            if (i != kSpeechEntry) {
                EXPECT_TRUE(shown[i].enabled);
            }
        }
        EXPECT_EQ(shown[1].text, s.sessionActive ? CTrayIcon::kDisconnectText : CTrayIcon::kConnectText);
        EXPECT_EQ(shown[3].text, s.locked ? CTrayIcon::kUnlockText : CTrayIcon::kLockText);
        EXPECT_EQ(shown[4].text, s.overlayShown ? CTrayIcon::kHideText : CTrayIcon::kShowText);
        const Entry& speech = shown[kSpeechEntry];
        EXPECT_EQ(speech.enabled, s.speechReady);
        EXPECT_EQ(speech.text,
                  s.speechReady && s.speechPaused ? CTrayIcon::kResumeSpeechText : CTrayIcon::kPauseSpeechText);
    }
    // A greyed entry does nothing, even triggered; a live one pauses.
    state = states[0];
    emit tray.Menu().aboutToShow();
    tray.Menu().actions().at(kSpeechEntry)->trigger();
    EXPECT_EQ(toggled, 0);
    state = states[2];
    emit tray.Menu().aboutToShow();
    tray.Menu().actions().at(kSpeechEntry)->trigger();
    EXPECT_EQ(toggled, 1);
}

// An engine that starts when the test lets it and then has the problem it was given.
class GatedEngine : public ISpeechEngine {
public:
    explicit GatedEngine(QString problem) : m_problem(std::move(problem)) {}
    QString Problem() const override { return m_problem; }
    SpeechVoices Voices() const override { return {}; }
    void Configure(const SpeechSettings&) override {}
    void Say(const QString&) override
    {
        QTimer::singleShot(0, [this] { onDone(true); });
    }
    void Stop() override {}

private:
    QString m_problem;
};

struct ReadyCase {
    const char* label;
    QString problem;  // the engine's, once started
    bool expected;
};

// "An engine speaks": read-aloud is on and its engine has started with no problem.
TEST(TrayMenu, AnEngineSpeaksOnceStartedWithoutAProblem)
{
    const ReadyCase cases[] = {
        {"an engine that speaks", QString(), true},
        {"an engine that failed", QStringLiteral("语音引擎无法使用：Connection to speech-dispatcher failed"), false},
    };
    for (const ReadyCase& c : cases) {
        SCOPED_TRACE(c.label);
        std::promise<void> letGo;
        std::shared_future<void> released = letGo.get_future().share();
        const QString problem = c.problem;
        CRoomFeatures features(QString(), [released, problem] {
            released.wait();
            return std::make_unique<GatedEngine>(problem);
        });
        EXPECT_FALSE(features.IsSpeechReady());  // read-aloud never turned on
        AppSettings settings;
        settings.speech.enabled = true;
        features.Apply(settings);
        QCoreApplication::processEvents();
        EXPECT_FALSE(features.IsSpeechReady());  // its engine still starting
        letGo.set_value();
        ASSERT_TRUE(QTest::qWaitFor([&] { return features.ReadAloud()->IsStarted(); }, 5000));
        EXPECT_EQ(features.IsSpeechReady(), c.expected);
        settings.speech.enabled = false;
        features.Apply(settings);
        EXPECT_FALSE(features.IsSpeechReady());  // turned off again
    }
}

// The main window's context menu follows the tray's rule: the pause is there, greyed, while
// read-aloud is off.
class ContextMenu : public MainWindow {};

TEST_F(ContextMenu, OffersThePauseGreyedWhileNoEngineSpeaks)
{
    std::vector<Entry> shown;
    QTimer::singleShot(0, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        shown = entries(*menu);
        menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), m_dialog->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(m_dialog.get(), &event);
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[2].text, CTrayIcon::kOpenLogFolderText);
    EXPECT_EQ(shown[3].text, CTrayIcon::kPauseSpeechText);
    EXPECT_TRUE(shown[3].visible);
    EXPECT_FALSE(shown[3].enabled);
}

}  // namespace
}  // namespace zandrel
