#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "chatlog/LogLine.h"

namespace zandrel {

// The chat log: a room's lines in a UTF-8 text file per room and day, under one folder. Lines are
// handed over on the caller's thread (the UI thread) and written on the log's own thread, in
// batches: a batch is written and flushed within kBatchDelay of its first line, and on Flush and
// destruction, so that a crash loses at most that much. A folder or file that cannot be written is
// told once (through `onError`, on the log's thread) until a write succeeds again; the lines of
// the failed batches are dropped, and the chat goes on.
class CChatLog {
public:
    static constexpr std::chrono::milliseconds kBatchDelay{250};
    static constexpr std::size_t kMaxPending = 100000;  // lines waiting; the oldest go beyond that
    static constexpr std::chrono::seconds kStopWait{3};

    CChatLog(std::filesystem::path folder, std::function<void(const std::string&)> onError);
    ~CChatLog();
    CChatLog(const CChatLog&) = delete;
    CChatLog& operator=(const CChatLog&) = delete;

    // The room the next lines belong to.
    void SetRoom(int room);
    void Write(std::vector<LogLine> lines);
    // Waits (at most kStopWait) until every line handed over so far is in its file.
    void Flush();

private:
    struct Batch {
        int room;
        std::vector<LogLine> lines;
    };
    // Everything the log's thread touches. Shared with that thread, so that a thread left behind
    // by a bounded stop (a write that hangs on a dead network folder) never touches freed memory.
    struct State {
        std::filesystem::path folder;
        std::function<void(const std::string&)> onError;
        std::mutex mutex;
        std::condition_variable wake;
        std::condition_variable written;
        // Guarded by `mutex`.
        std::vector<Batch> pending;
        std::size_t pendingLines = 0;
        int room = 0;
        bool stop = false;
        bool ended = false;
        unsigned long long handedOver = 0;  // lines
        unsigned long long done = 0;        // lines written or dropped
        // The log thread's own.
        std::FILE* file = nullptr;
        std::string fileName;
        bool failing = false;

        void Run();
        bool WriteLines(int room, const std::vector<LogLine>& lines);
        void Fail(const std::string& what);
    };

    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

// Removes the log files in `folder` last written more than `days` days before `now`; returns how
// many. Other files are left alone.
int RemoveOldLogs(const std::filesystem::path& folder, int days, std::filesystem::file_time_type now);

}  // namespace zandrel
