#include "app/AppOptions.h"

#include <cstdio>
#include <string_view>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QProcessEnvironment>

#include "lookup/ChatServerLookup.h"

namespace zandrel {

bool ParseAppOptions(const QStringList& arguments, AppOptions& options, QString& error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Zandrel: the chat of a live room in an always-on-top overlay."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption lookupHost(
        QStringLiteral("lookup-host"),
        QStringLiteral("Web server that tells where the chat server is, as host or host:port "
                       "(default: the %1 environment variable, else %2).")
            .arg(QString::fromLatin1(kLookupHostVariable), QString::fromLatin1(kDefaultLookupHost)),
        QStringLiteral("host[:port]"));
    parser.addOption(lookupHost);
    const QCommandLineOption quiet(QStringLiteral("quiet"),
                                   QStringLiteral("Log only errors and warnings to standard error, not a notice per chat line."));
    parser.addOption(quiet);
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    QString host = QString::fromLatin1(kDefaultLookupHost);
    const QString fromEnvironment = QProcessEnvironment::systemEnvironment().value(QString::fromLatin1(kLookupHostVariable));
    if (!fromEnvironment.isEmpty())
        host = fromEnvironment;
    if (parser.isSet(lookupHost))
        host = parser.value(lookupHost);
    if (!IsValidLookupHost(host.toStdString())) {
        error = QStringLiteral("not a host or host:port: %1").arg(host);
        return false;
    }
    options.lookupHost = host;
    options.quiet = parser.isSet(quiet);
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

int ShowUsageOrVersion(int& argc, char** argv)
{
    // A core application needs no display; its arguments give the usage the program's real name.
    QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(ZANDREL_VERSION));
    AppOptions options;
    QString error;
    if (!ParseAppOptions(QCoreApplication::arguments(), options, error)) {  // --help and --version exit
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(error));
        return 2;
    }
    return 0;
}

}  // namespace zandrel
