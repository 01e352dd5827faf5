#pragma once

#include <string>
#include <vector>

namespace zandrel::test {

// The port of one of the demo service's listeners ("main", "plain", "lookup.<fault>"), read from
// the ports file of its CTest fixture (under ZANDREL_TEST_SERVICES). Throws when missing.
int DemoPort(const std::string& listener);
// The same for the scripted node-ws server ("ws", "silent", "partial", "trickle", "lookup").
int ScriptedServerPort(const std::string& listener);

// How many connections one of the scripted server's raw listeners ("silent", "partial", "trickle")
// has accepted so far.
int ScriptedServerAccepted(const std::string& listener);
// Waits until that count is above `count`; false after 20 s.
bool WaitForScriptedServerAccepted(const std::string& listener, int count);

// One join request as the scripted server received and checked it.
struct ReceivedJoin {
    int room = 0;
    std::string text;        // as it arrived
    bool valid = false;      // shape, room, group and checksum all right
    std::string reason;      // what was wrong, when not valid
    std::string extensions;  // the Sec-WebSocket-Extensions that the client offered
    long long atMs = 0;      // when, in ms since the server started
    int connection = 0;      // which connection it came on (the server numbers them from 1)
    int seq = 0;             // which message on that connection, from 0 (the join proper)
};
// Every message the scripted server has received on connections that joined `room` so far, in
// order, each read as a join request.
std::vector<ReceivedJoin> ScriptedServerJoins(int room);
// A ping the scripted server received from a client in `room`.
struct ReceivedPing {
    int connection = 0;
    long long atMs = 0;
};
std::vector<ReceivedPing> ScriptedServerPings(int room);
// A loopback port on which nothing listens.
int ClosedPort();
// UTF-8 text in the program's code page, to compare with what the session delivers.
std::string Utf8ToAnsi(const std::string& utf8);

}  // namespace zandrel::test
