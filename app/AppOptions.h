#pragma once

#include <optional>

#include <QStringList>

#include "app/InstanceCommand.h"

namespace zandrel {

struct AppOptions {
    QString lookupHost;  // host or host:port of the chat-server lookup
    // A notice per chat line and the join request (its uid and checksum) on standard error, for
    // developers; otherwise errors and warnings only. (--quiet, the old way to ask for the latter,
    // is still accepted.)
    bool verbose = false;
    // For the running instance: --show, --toggle-lock, --connect N, --disconnect (one at most).
    std::optional<InstanceCommand> command;
};

// Reads the command line and the environment: --lookup-host beats ZANDREL_LOOKUP_HOST, which beats
// the demo service's address. False with `error` set on a bad value; --help and --version print
// their text and exit, as QCommandLineParser does. The help and the errors are in the user's
// language where CTranslations is installed.
bool ParseAppOptions(const QStringList& arguments, AppOptions& options, QString& error);
// "zandrel: <error>" on standard error, in the terminal's character set, with what was typed on the
// command line made safe for the terminal (its control characters written as \xNN).
void PrintCommandLineError(const QString& error);

// Whether the command line asks only for the usage or the version, which are answered without a
// window system (in a terminal, over SSH), before the GUI starts.
bool AsksForUsageOrVersion(int argc, const char* const* argv);
// Prints the usage or the version as ParseAppOptions does, on a core application of its own, and
// gives the exit code. Only when AsksForUsageOrVersion.
int ShowUsageOrVersion(int& argc, char** argv);

// Whether the command line holds a command for the running instance, which is sent without a
// window system, before the GUI starts.
bool AsksForInstanceCommand(int argc, const char* const* argv);
// Sends it, on a core application of its own, and gives the exit code; or kStartTheProgram when no
// instance runs and the command is one that a new one carries out itself (--show, --connect).
inline constexpr int kStartTheProgram = -1;
int SendInstanceCommand(int& argc, char** argv);

}  // namespace zandrel
