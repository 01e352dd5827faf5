#include "chatlog/RepeatRuns.h"

#include <algorithm>
#include <limits>

namespace zandrel {

std::vector<LogLine> CRepeatRuns::Repeat(std::uint64_t run, const LogLine& first, int count, std::time_t closesAt)
{
    std::vector<LogLine> ended;
    if (const auto found = m_runs.find(run); found != m_runs.end()) {
        found->second.line.count = std::max(found->second.line.count, count);
        return ended;
    }
    while (m_runs.size() >= kMaxOpen) {
        ended.push_back(std::move(m_runs.begin()->second.line));
        m_runs.erase(m_runs.begin());
    }
    LogLine line = first;
    line.count = count;
    m_runs.emplace(run, Run{std::move(line), closesAt});
    return ended;
}

std::vector<LogLine> CRepeatRuns::EndClosed(std::time_t now)
{
    std::vector<LogLine> ended;
    for (auto it = m_runs.begin(); it != m_runs.end();) {
        if (it->second.closesAt <= now) {
            ended.push_back(std::move(it->second.line));
            it = m_runs.erase(it);
        } else {
            ++it;
        }
    }
    return ended;
}

std::vector<LogLine> CRepeatRuns::EndAll() { return EndClosed(std::numeric_limits<std::time_t>::max()); }

std::optional<std::time_t> CRepeatRuns::NextClose() const
{
    std::optional<std::time_t> next;
    for (const auto& [serial, run] : m_runs)
        if (!next || run.closesAt < *next)
            next = run.closesAt;
    return next;
}

}  // namespace zandrel
