#include "demo/RoomModes.h"

namespace zandrel::demo {

RoomBehaviour BehaviourOf(int room)
{
    switch (room) {
    case 900:
        return {RoomMode::Scripted, 0};
    case 901:
        return {RoomMode::CloseAfterAck, 0};
    case 902:
        return {RoomMode::Refuse, 0};
    case 903:
        return {RoomMode::Garbage, 0};
    case 904:
        return {RoomMode::Huge, 0};
    case 905:
        return {RoomMode::Fragments, 0};
    case 906:
        return {RoomMode::WholeBig, 0};
    case 907:
        return {RoomMode::Flood, 0};
    default:
        break;
    }
    if (room >= 9100 && room <= 9199)
        return {RoomMode::ScriptThenClose, room - 9100};
    return {RoomMode::Lively, 0};
}

std::string RoomModesHelp()
{
    return "Special rooms (every other room is a lively room):\n"
           "  900        the scripted lines and a gift, then silence\n"
           "  901        closes right after \"ack\", every time\n"
           "  902        refuses every join\n"
           "  903        garbage and non-JSON frames, then one good line\n"
           "  904        one message of 1.5 MiB, then one good line\n"
           "  905        a 100 KiB message in 1 KiB fragments, then one good line\n"
           "  906        the same 100 KiB message in one frame, then one good line\n"
           "  907        a flood: a few lines repeated as fast as the connection takes them, a numbered\n"
           "             line among them every two seconds\n"
           "  9100-9199  \"ack\", the first (room - 9100) scripted lines, then close\n";
}

}  // namespace zandrel::demo
