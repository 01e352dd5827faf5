#pragma once

// What each room number does in the demo service. Most rooms are lively; a few numbers are set
// aside for tests and for trying out failure handling by hand.

#include <string>

namespace zandrel::demo {

enum class RoomMode {
    Lively,           // chat at the configured rate
    Scripted,         // 900: the scripted lines and a gift, then silence
    CloseAfterAck,    // 901: closes right after "ack", every time
    Refuse,           // 902: answers every join with "rej"
    Garbage,          // 903: garbage and non-JSON frames, then one good line
    Huge,             // 904: one message of 1.5 MiB, then one good line
    Fragments,        // 905: a 100 KiB message in 1 KiB fragments, then one good line
    WholeBig,         // 906: the same 100 KiB message in one frame, then one good line
    Flood,            // 907: lines as fast as the connection takes them
    ScriptThenClose,  // 9100-9199: "ack", the first (room - 9100) scripted lines, then close
};

struct RoomBehaviour {
    RoomMode mode = RoomMode::Lively;
    int lines = 0;  // ScriptThenClose: how many scripted lines before the close
};

RoomBehaviour BehaviourOf(int room);
// The --help text that lists the special rooms.
std::string RoomModesHelp();

}  // namespace zandrel::demo
