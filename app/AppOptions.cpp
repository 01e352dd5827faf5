#include "app/AppOptions.h"

#include <cstdio>
#include <string>
#include <string_view>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcessEnvironment>

#include "app/InstanceChannel.h"
#include "app/RoomField.h"
#include "app/Translations.h"
#include "base/LogText.h"
#include "lookup/ChatServerLookup.h"

namespace zandrel {
namespace {

// The command line's texts: English, and Chinese where CTranslations has installed the program's
// translations (context zandrel::CCommandLine in app/i18n/zandrel_zh_CN.ts).
class CCommandLine {
    Q_DECLARE_TR_FUNCTIONS(zandrel::CCommandLine)
};

// `option` in the user's language. Every option is added through here, so that a new option's help
// is translated by one <message> in the .ts file, keyed by its English description. A description
// with values in it is translated where it is made; looked up again here, it is found as nothing
// and stays.
QCommandLineOption Translated(QCommandLineOption option)
{
    option.setDescription(CCommandLine::tr(qUtf8Printable(option.description())));
    return option;
}

}  // namespace

void PrintCommandLineError(const QString& error)
{
    const std::string line = QCoreApplication::applicationName().toStdString() + ": " + error.toStdString();
    std::fprintf(stderr, "%s\n", LogTextFromUtf8(line).c_str());
}

bool ParseAppOptions(const QStringList& arguments, AppOptions& options, QString& error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(CCommandLine::tr("Zandrel: the chat of a live room in an always-on-top overlay."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption lookupHost(
        QStringLiteral("lookup-host"),
        CCommandLine::tr("Web server that tells where the chat server is, as host or host:port "
                         "(default: the %1 environment variable, else %2).")
            .arg(QString::fromLatin1(kLookupHostVariable), QString::fromLatin1(kDefaultLookupHost)),
        QStringLiteral("host[:port]"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral("Log a notice per chat line and the join request to standard error, besides the errors "
                       "and warnings that are logged anyway."));
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Log only errors and warnings to standard error (the default)."));
    // Commands for the instance that runs already, for a desktop's own shortcut settings to bind.
    const QCommandLineOption show(QStringLiteral("show"),
                                  QStringLiteral("Show the running Zandrel's main window (or start one)."));
    const QCommandLineOption toggleLock(QStringLiteral("toggle-lock"),
                                        QStringLiteral("Lock or unlock the running Zandrel's overlay."));
    const QCommandLineOption connectRoom(QStringLiteral("connect"),
                                         QStringLiteral("Make the running Zandrel (or a new one) join room N."),
                                         QStringLiteral("N"));
    const QCommandLineOption disconnect(QStringLiteral("disconnect"),
                                        QStringLiteral("End the running Zandrel's session."));
    for (const QCommandLineOption& option : {lookupHost, verbose, quiet, show, toggleLock, connectRoom, disconnect})
        parser.addOption(Translated(option));
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    QString host = QString::fromLatin1(kDefaultLookupHost);
    const QString fromEnvironment =
        QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(kLookupHostVariable));
    if (!fromEnvironment.isEmpty())
        host = fromEnvironment;
    if (parser.isSet(lookupHost))
        host = parser.value(lookupHost);
    if (!IsValidLookupHost(host.toStdString())) {
        error = CCommandLine::tr("not a host or host:port: %1").arg(host);
        return false;
    }
    options.lookupHost = host;
    if (parser.isSet(verbose) && parser.isSet(quiet)) {
        error = CCommandLine::tr("--verbose or --quiet, not both");
        return false;
    }
    options.verbose = parser.isSet(verbose);

    options.command.reset();
    int commands = 0;
    if (parser.isSet(show)) {
        options.command = InstanceCommand{InstanceCommand::Kind::Show, 0};
        ++commands;
    }
    if (parser.isSet(toggleLock)) {
        options.command = InstanceCommand{InstanceCommand::Kind::ToggleLock, 0};
        ++commands;
    }
    if (parser.isSet(disconnect)) {
        options.command = InstanceCommand{InstanceCommand::Kind::Disconnect, 0};
        ++commands;
    }
    if (parser.isSet(connectRoom)) {
        const QString room = parser.value(connectRoom);
        if (!IsRoomNumberText(room)) {
            error = CCommandLine::tr("not a room number: %1").arg(room);
            return false;
        }
        options.command = InstanceCommand{InstanceCommand::Kind::Connect, room.toInt()};
        ++commands;
    }
    if (commands > 1) {
        error = CCommandLine::tr("one of --show, --toggle-lock, --connect and --disconnect at a time");
        return false;
    }
    return true;
}

bool AsksForUsageOrVersion(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "-?" || argument == "--help-all" ||
            argument == "--version" || argument == "-v")
            return true;
    }
    return false;
}

bool AsksForInstanceCommand(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--show" || argument == "--toggle-lock" || argument == "--disconnect" ||
            argument == "--connect" || argument.rfind("--connect=", 0) == 0)
            return true;
    }
    return false;
}

int SendInstanceCommand(int& argc, char** argv)
{
    QCoreApplication core(argc, argv);
    const CTranslations translations;  // the errors in the user's language
    AppOptions options;
    QString error;
    if (!ParseAppOptions(QCoreApplication::arguments(), options, error) || !options.command) {
        PrintCommandLineError(error);
        return 2;
    }
    QString answer;
    switch (SendToRunningInstance(InstanceSocketPath(), *options.command, answer)) {
    case SendResult::Done:
        if (answer == QLatin1String("ok"))
            return 0;
        PrintCommandLineError(answer);
        return 1;
    case SendResult::NotRunning:
        if (options.command->kind == InstanceCommand::Kind::Show ||
            options.command->kind == InstanceCommand::Kind::Connect)
            return kStartTheProgram;
        PrintCommandLineError(CCommandLine::tr("no Zandrel is running"));
        return 1;
    case SendResult::Failed:
        break;
    }
    PrintCommandLineError(CCommandLine::tr("the running Zandrel did not answer"));
    return 1;
}

int ShowUsageOrVersion(int& argc, char** argv)
{
    // A core application needs no display; its arguments give the usage the program's real name.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANDREL_VERSION));
    const CTranslations translations;  // the usage and the errors in the user's language
    AppOptions options;
    QString error;
    if (!ParseAppOptions(QCoreApplication::arguments(), options, error)) {  // --help and --version exit
        PrintCommandLineError(error);
        return 2;
    }
    return 0;
}

}  // namespace zandrel
