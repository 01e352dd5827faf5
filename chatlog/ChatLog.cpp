#include "chatlog/ChatLog.h"

#include <cerrno>
#include <cstring>

namespace zandrel {

CChatLog::CChatLog(std::filesystem::path folder, std::function<void(const std::string&)> onError)
    : m_state(std::make_shared<State>())
{
    m_state->folder = std::move(folder);
    m_state->onError = std::move(onError);
    m_thread = std::thread([state = m_state] { state->Run(); });
}

CChatLog::~CChatLog()
{
    std::unique_lock lock(m_state->mutex);
    m_state->stop = true;
    m_state->wake.notify_one();
    // The thread writes what is left and ends. A write that hangs must not hold the program's exit:
    // after the wait the thread is left to end by itself, with the state it shares.
    const bool ended = m_state->written.wait_for(lock, kStopWait, [this] { return m_state->ended; });
    lock.unlock();
    if (ended)
        m_thread.join();
    else
        m_thread.detach();
}

void CChatLog::SetRoom(int room)
{
    std::lock_guard lock(m_state->mutex);
    m_state->room = room;
}

void CChatLog::Write(std::vector<LogLine> lines)
{
    if (lines.empty())
        return;
    State& s = *m_state;
    bool first = false;
    {
        std::lock_guard lock(s.mutex);
        first = s.pending.empty();
        s.handedOver += lines.size();
        s.pendingLines += lines.size();
        if (!s.pending.empty() && s.pending.back().room == s.room) {
            auto& tail = s.pending.back().lines;
            tail.insert(tail.end(), std::make_move_iterator(lines.begin()), std::make_move_iterator(lines.end()));
        } else {
            s.pending.push_back({s.room, std::move(lines)});
        }
        // A log that cannot keep up drops its oldest lines rather than the program's memory.
        while (s.pendingLines > kMaxPending && !s.pending.empty()) {
            s.pendingLines -= s.pending.front().lines.size();
            s.done += s.pending.front().lines.size();
            s.pending.erase(s.pending.begin());
        }
    }
    if (first)
        s.wake.notify_one();
}

void CChatLog::Flush()
{
    std::unique_lock lock(m_state->mutex);
    const unsigned long long target = m_state->handedOver;
    m_state->wake.notify_one();
    m_state->written.wait_for(lock, kStopWait, [&] { return m_state->done >= target; });
}

void CChatLog::State::Run()
{
    std::unique_lock lock(mutex);
    for (;;) {
        wake.wait(lock, [this] { return stop || !pending.empty(); });
        // A batch: whatever comes within the delay goes with the first line. A Flush (which
        // notifies) or the stop cuts the wait short.
        if (!stop)
            wake.wait_for(lock, kBatchDelay);
        std::vector<Batch> batches = std::move(pending);
        pending.clear();
        pendingLines = 0;
        std::size_t count = 0;
        for (const Batch& batch : batches)
            count += batch.lines.size();
        lock.unlock();
        for (const Batch& batch : batches)
            if (WriteLines(batch.room, batch.lines))
                failing = false;  // working again: the next failure is told again
        lock.lock();
        done += count;
        written.notify_all();
        if (stop && pending.empty())
            break;
    }
    if (file)
        std::fclose(file);
    file = nullptr;
    ended = true;
    written.notify_all();
}

bool CChatLog::State::WriteLines(int batchRoom, const std::vector<LogLine>& lines)
{
    std::size_t i = 0;
    while (i < lines.size()) {
        // Each day's lines go to that day's file.
        const std::string name = LogFileName(batchRoom, lines[i].at);
        std::string chunk;
        for (; i < lines.size() && LogFileName(batchRoom, lines[i].at) == name; ++i)
            chunk += FormatLogLine(lines[i]);
        const std::filesystem::path path = folder / name;
        if (name != fileName || !file) {
            if (file)
                std::fclose(file);
            std::error_code error;
            std::filesystem::create_directories(folder, error);
            file = std::fopen(path.c_str(), "a");
            fileName = name;
            if (!file) {
                Fail(path.string() + ": " + std::strerror(errno));
                return false;
            }
        }
        if (std::fwrite(chunk.data(), 1, chunk.size(), file) != chunk.size() || std::fflush(file) != 0) {
            Fail(path.string() + ": " + std::strerror(errno));
            std::fclose(file);
            file = nullptr;
            return false;
        }
    }
    return true;
}

void CChatLog::State::Fail(const std::string& what)
{
    if (failing)
        return;
    failing = true;
    if (onError)
        onError(what);
}

int RemoveOldLogs(const std::filesystem::path& folder, int days, std::filesystem::file_time_type now)
{
    std::error_code error;
    int removed = 0;
    const auto limit = now - std::chrono::hours(24) * days;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code fileError;
        if (!it->is_regular_file(fileError) || !name.starts_with("room-") || !name.ends_with(".txt"))
            continue;
        const auto written = it->last_write_time(fileError);
        if (!fileError && written < limit && std::filesystem::remove(it->path(), fileError))
            ++removed;
    }
    return removed;
}

}  // namespace zandrel
