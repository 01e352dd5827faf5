#pragma once

#include <QString>

namespace zandrel {

// What the main window's status line says the session does. The session reports its part with
// WM_BARRAGE_STATUS (see session/SessionStatus.h); the lookup, failures and stops are the main
// window's own.
struct StatusLine {
    enum class State { Idle, LookingUp, Joining, Connected, Reconnecting, Failed };
    State state = State::Idle;
    int room = 0;
    int attempt = 0;  // Reconnecting: which reconnect in a row
    int seconds = 0;  // Reconnecting: how long until it starts; 0 while it is under way
    QString failure;  // Failed: the text of the box

    static StatusLine Idle() { return {}; }
    static StatusLine Of(State state, int room) { return {state, room, 0, 0, {}}; }
    static StatusLine Reconnect(int room, int attempt, int seconds)
    {
        return {State::Reconnecting, room, attempt, seconds, {}};
    }
    static StatusLine Failure(int room, QString text) { return {State::Failed, room, 0, 0, std::move(text)}; }
};

// The line in the program's Chinese wording.
QString StatusText(const StatusLine& status);

}  // namespace zandrel
