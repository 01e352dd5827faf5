#pragma once

// The main window against the demo service's lookups, with message boxes and notifications
// recorded instead of shown.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <QSettings>
#include <QTest>

#include "app/ZandrelDlg.h"
#include "lookup/ChatServerLookup.h"
#include "support/TestServices.h"

namespace zandrel {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearSettings();
        m_savedLookup = CurrentLookupSettings();
        UseLookup("main");
        m_dialog = std::make_unique<CZandrelDlg>();
        m_dialog->Session().SetLogLevel(0);
        Hook();
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
    }
    void TearDown() override
    {
        m_dialog.reset();
        CurrentLookupSettings() = m_savedLookup;
    }

    // Boxes and desktop notifications are recorded, not shown.
    void Hook()
    {
        m_dialog->SetMessageBoxHook([this](const QString& text) { m_boxes.push_back(text); });
        m_dialog->SetNotifyHook([this](const QString& text) { m_notices.push_back(text); });
    }
    // Every test starts as a first run: nothing remembered.
    static void ClearSettings()
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Zandrel"),
                        QStringLiteral("Zandrel"));
        store.clear();
        store.sync();
    }
    static void UseLookup(const std::string& listener)
    {
        CurrentLookupSettings().host = "127.0.0.1:" + std::to_string(test::DemoPort(listener));
        CurrentLookupSettings().timeoutSeconds = 5;
    }
    QLineEdit& Room() { return m_dialog->RoomEdit(); }
    QPushButton& Connect() { return m_dialog->ConnectButton(); }
    QColor RoomTextColour() { return Room().palette().color(QPalette::Text); }
    void TypeRoom(const QString& text)
    {
        QTest::mouseClick(&Room(), Qt::LeftButton);
        Room().selectAll();
        QTest::keyClick(&Room(), Qt::Key_Delete);
        QTest::keyClicks(&Room(), text);
    }
    // Clicks "连接" and waits (the window answering meanwhile) until the lookup is over.
    void ClickConnect()
    {
        QTest::mouseClick(&Connect(), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !m_dialog->LookingUp(); }, 20000));
    }
    bool ControlsEnabled() { return Room().isEnabled() && Connect().isEnabled(); }
    bool ControlsDisabled() { return !Room().isEnabled() && !Connect().isEnabled(); }

    LookupSettings m_savedLookup;
    std::unique_ptr<CZandrelDlg> m_dialog;
    std::vector<QString> m_boxes;
    std::vector<QString> m_notices;
};

}  // namespace zandrel
