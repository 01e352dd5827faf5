// The settings box with the main window: what Cancel puts back after a preview, the overlay's place
// among it.

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "app/MainWindowFixture.h"
#include "app/SettingsDlg.h"
#include "app/ZandrelDlg.h"

namespace zandrel {
namespace {

class SettingsBox : public MainWindow {
protected:
    // Opens the settings box, runs `edit` on it, and answers it (OK unless `edit` answered).
    void WithSettings(const std::function<void(CSettingsDlg&)>& edit)
    {
        QTimer::singleShot(0, [&] {
            CSettingsDlg* box = m_dialog->OpenSettings();
            ASSERT_NE(box, nullptr);
            edit(*box);
            if (box->isVisible())
                box->accept();
        });
        m_dialog->OnSettings();
    }
    // The overlay's place as the settings file holds it.
    static QPoint StoredPlace()
    {
        const QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"),
                              QStringLiteral("Zandrel"));
        return {store.value(QStringLiteral("overlay/x"), -1).toInt(),
                store.value(QStringLiteral("overlay/y"), -1).toInt()};
    }
};

// A preview of a wide overlay moves it to where it fits (the screen is 800 pixels wide); Cancel puts
// back the place with the size, a width that fits again puts it back too, and what OK saves is the
// place shown.
TEST_F(SettingsBox, CancelPutsTheOverlayBackWhereItWas)
{
    ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().width(), 800);
    const QPoint place(400, 100);
    struct Case {
        const char* what;
        std::vector<int> widths;  // previewed in turn
        bool ok;
        bool back;  // whether the overlay ends where it was
    };
    const Case cases[] = {
        {"a wide preview, Cancel", {700}, false, true},
        {"a wide preview, then one that fits, OK", {700, 300}, true, true},
        {"a wide preview, OK", {700}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_dialog->Overlay().move(place);
        const QSize size = m_dialog->Overlay().size();
        bool moved = false;
        WithSettings([&](CSettingsDlg& box) {
            for (const int width : c.widths) {
                box.OverlayWidth().setValue(width);
                moved |= m_dialog->Overlay().pos() != place;
            }
            if (!c.ok)
                box.reject();
        });
        EXPECT_TRUE(moved) << "the wide preview left the overlay where it did not fit";
        if (c.back) {
            EXPECT_EQ(m_dialog->Overlay().pos(), place);
        } else {
            EXPECT_NE(m_dialog->Overlay().pos(), place);
        }
        if (!c.ok) {
            EXPECT_EQ(m_dialog->Overlay().size(), size);
        }
        // The next OK (a change elsewhere) saves the place shown.
        WithSettings([](CSettingsDlg& box) { box.FontSize().setValue(box.FontSize().value() + 1); });
        EXPECT_EQ(m_dialog->Settings().overlayPosition, m_dialog->Overlay().pos());
        EXPECT_EQ(StoredPlace(), m_dialog->Overlay().pos());
        EXPECT_TRUE(
            QGuiApplication::primaryScreen()->availableGeometry().contains(m_dialog->Overlay().frameGeometry()));
        // Back to the design's width for the next case.
        WithSettings([&](CSettingsDlg& box) { box.OverlayWidth().setValue(size.width()); });
    }
}

}  // namespace
}  // namespace zandrel
