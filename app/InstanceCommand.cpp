#include "app/InstanceCommand.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

#include "app/RoomField.h"

namespace zandrel {

QString FormatInstanceCommand(const InstanceCommand& command)
{
    switch (command.kind) {
    case InstanceCommand::Kind::Show:
        return QStringLiteral("show");
    case InstanceCommand::Kind::ToggleLock:
        return QStringLiteral("toggle-lock");
    case InstanceCommand::Kind::Connect:
        return QStringLiteral("connect %1").arg(command.room);
    case InstanceCommand::Kind::Disconnect:
        return QStringLiteral("disconnect");
    }
    return {};
}

std::optional<InstanceCommand> ParseInstanceCommand(QStringView line)
{
    line = line.trimmed();
    if (line == u"show")
        return InstanceCommand{InstanceCommand::Kind::Show, 0};
    if (line == u"toggle-lock")
        return InstanceCommand{InstanceCommand::Kind::ToggleLock, 0};
    if (line == u"disconnect")
        return InstanceCommand{InstanceCommand::Kind::Disconnect, 0};
    constexpr QStringView kConnect = u"connect ";
    if (line.startsWith(kConnect)) {
        const QString room = line.mid(kConnect.size()).toString();
        if (IsRoomNumberText(room))
            return InstanceCommand{InstanceCommand::Kind::Connect, room.toInt()};
    }
    return std::nullopt;
}

QString InstanceSocketPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath() + QStringLiteral("/zandrel-%1").arg(getuid());
    return folder + QStringLiteral("/zandrel-instance");
}

}  // namespace zandrel
