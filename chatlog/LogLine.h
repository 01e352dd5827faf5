#pragma once

#include <ctime>
#include <string>

namespace zandrel {

// One line of the chat log, as the overlay passed it on: when, who, what, and whether it was a gift;
// for a run of merged repeats, how many lines the run holds in all.
struct LogLine {
    std::time_t at{};
    std::u16string name;
    std::u16string text;
    bool gift = false;
    int count = 1;
};

// The line as the log file holds it, in UTF-8 and ending in a line feed: "HH:MM:SS<TAB>name<TAB>text",
// a gift's text after "[礼物] ", a run's count after the text (" ×12"). Line breaks and tabs inside
// the name or the text become spaces, so that each line of the chat is one line of the file; a lone
// surrogate becomes U+FFFD.
std::string FormatLogLine(const LogLine& line);
// The file a room's lines of the day of `at` (local time) go to: "room-<room>-<YYYY-MM-DD>.txt".
std::string LogFileName(int room, std::time_t at);

}  // namespace zandrel
