#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <vector>

#include "chatlog/LogLine.h"

namespace zandrel {

// Runs of merged repeats as the chat log tells them. The first line of a run is logged as it comes,
// as every line is (nobody knows yet that it will be repeated); the repeats that count into it are
// not logged one by one, but once, when the run has ended, as the run's first line with the run's
// count (every line of the run, the first among them). A run ends when its merge window closes, and
// when everything does: another room, the session's stop, the log's end. UI thread.
class CRepeatRuns {
public:
    // Runs open at once; beyond that the oldest ends early (a flood of many different repeats).
    static constexpr std::size_t kMaxOpen = 4096;

    // A repeat counted into the run that began with `first`, known as `run` (the overlay's serial of
    // its line), which now holds `count` lines; the run's merge window closes at `closesAt`. Gives
    // the lines of runs that ended early to keep the bound (usually none).
    std::vector<LogLine> Repeat(std::uint64_t run, const LogLine& first, int count, std::time_t closesAt);
    // Ends the runs whose window has closed by `now`: their lines, in the order the runs began.
    std::vector<LogLine> EndClosed(std::time_t now);
    // Ends every run: their lines, in the order the runs began.
    std::vector<LogLine> EndAll();
    // When the next run's window closes, if any run is open.
    std::optional<std::time_t> NextClose() const;
    std::size_t Open() const { return m_runs.size(); }

private:
    struct Run {
        LogLine line;  // with the run's count
        std::time_t closesAt;
    };
    std::map<std::uint64_t, Run> m_runs;  // by serial, which is the order the runs began
};

}  // namespace zandrel
