#pragma once

#include <functional>
#include <memory>

#include <QSocketNotifier>

namespace zandrel {

// Turns SIGTERM, SIGINT and SIGHUP (a desktop session that ends, Ctrl+C in a terminal) into a call
// of `quit` on the UI thread, so that the program ends as if its window were closed: the session
// stops and the chat log writes what it holds. The handler only writes a byte to a pipe; the pipe
// is read on the UI thread. One per process; UI thread.
class CQuitOnSignal {
public:
    explicit CQuitOnSignal(std::function<void()> quit);
    ~CQuitOnSignal();
    CQuitOnSignal(const CQuitOnSignal&) = delete;
    CQuitOnSignal& operator=(const CQuitOnSignal&) = delete;

private:
    std::function<void()> m_quit;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace zandrel
