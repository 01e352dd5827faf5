// main() of the widget tests: a QApplication on the offscreen platform (unless the environment
// names another), with window messages dispatched to its thread as the application does, and
// settings kept in a folder of the test's own, never the user's.

#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include "app/QtMessageDispatcher.h"
#include "base/WindowMessage.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    zandrel::InstallDispatcher(std::make_shared<zandrel::CQtMessageDispatcher>(&app));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    zandrel::InstallDispatcher(nullptr);
    return result;
}
