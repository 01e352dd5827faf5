#pragma once

#include <optional>

#include <QString>
#include <QStringView>

namespace zandrel {

// What another start of the program asks of the one that runs: one line on the instance's local
// socket, answered with one line ("ok", or "error: why").
struct InstanceCommand {
    enum class Kind { Show, ToggleLock, Connect, Disconnect };
    Kind kind = Kind::Show;
    int room = 0;  // Connect

    bool operator==(const InstanceCommand&) const = default;
};

// "show", "toggle-lock", "connect 123", "disconnect".
QString FormatInstanceCommand(const InstanceCommand& command);
// The command of a line, or nothing for a line that is none (a room that is no room number too).
std::optional<InstanceCommand> ParseInstanceCommand(QStringView line);

// Where the running instance listens: a socket in the user's runtime folder, so one per user.
QString InstanceSocketPath();

}  // namespace zandrel
