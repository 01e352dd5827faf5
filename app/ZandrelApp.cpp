#include "app/ZandrelApp.h"

#include <cstdio>
#include <memory>

#include <QIcon>

#include "app/AppOptions.h"
#include "app/InstanceChannel.h"
#include "app/QtMessageDispatcher.h"
#include "app/QuitOnSignal.h"
#include "app/ZandrelDlg.h"
#include "base/WindowMessage.h"
#include "lookup/ChatServerLookup.h"
#include "lookup/HttpRequest.h"

namespace zandrel {

CZandrelApp::CZandrelApp(int& argc, char** argv) : m_app(argc, argv)
{
    // The application's name stays the executable's file name, which the lookup sends as its
    // user agent too.
    QApplication::setApplicationVersion(QStringLiteral(ZANDREL_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zandrel/zandrel.png")));
    m_translations = std::make_unique<CTranslations>();
    // The program ends when its main window closes, not when the last window does: the main window
    // may be hidden (the tray shows it again) while a box of it closes.
    QApplication::setQuitOnLastWindowClosed(false);
    InitHttpRequests();
    InstallDispatcher(std::make_shared<CQtMessageDispatcher>(&m_app));
}

CZandrelApp::~CZandrelApp()
{
    InstallDispatcher(nullptr);
    CleanupHttpRequests();
}

int CZandrelApp::Run()
{
    AppOptions options;
    QString error;
    if (!ParseAppOptions(QApplication::arguments(), options, error)) {
        PrintCommandLineError(error);
        return 2;
    }
    CurrentLookupSettings().host = options.lookupHost.toStdString();

    // One instance per user: a second start shows the first one's window and ends.
    const QString socketPath = InstanceSocketPath();
    QString answer;
    if (!options.command &&
        SendToRunningInstance(socketPath, {InstanceCommand::Kind::Show, 0}, answer) == SendResult::Done)
        return 0;

    // The main window runs modeless: a modal run would block input to every other window of the
    // program, the overlay and its lock handle included. Closing it ends the event loop, and it is
    // destroyed before the application object, so its session stops first.
    auto dialog = std::make_unique<CZandrelDlg>();
    // A desktop session keeps standard error in its log or journal: a flood must not fill it.
    dialog->Session().SetQuiet(!options.verbose);
    QObject::connect(dialog.get(), &QDialog::finished, &m_app, &QApplication::quit);
    dialog->show();
    // Commands from other starts (a desktop's shortcut for --toggle-lock, say), on this thread.
    auto server = std::make_unique<CInstanceServer>(
        [window = dialog.get()](const InstanceCommand& command) { return window->OnInstanceCommand(command); });
    if (!server->Listen(socketPath))
        std::fprintf(stderr, "zandrel: cannot take commands at %s; another Zandrel may be starting\n",
                     qPrintable(socketPath));
    if (options.command)
        dialog->OnInstanceCommand(*options.command);  // what a command that found no instance asked for
    else
        dialog->AutoConnect();
    // A session's end (SIGTERM) closes the window as the user would.
    const CQuitOnSignal quitOnSignal([window = dialog.get()] { window->close(); });
    QApplication::exec();
    server.reset();  // no command may reach the window once it is going
    dialog.reset();
    return 0;
}

}  // namespace zandrel
