#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>

#include <QString>

namespace zandrel {

// A line waiting to be read: its words, whether it goes before chat (a gift, a highlight), and how
// long it takes to say.
struct SpeechItem {
    QString text;
    bool priority = false;
    double seconds = 0;
};

// The lines waiting to be read, bounded by how long they take to say: the spoken backlog (what
// waits, with the line being read) never exceeds `maxBacklogSeconds`. A line that would go over it
// first drops the oldest waiting chat lines, then, if it is a gift or highlight itself, the oldest
// waiting gifts and highlights; a chat line that still does not fit is dropped itself. Lines keep
// their order. One thread.
class CSpeechQueue {
public:
    explicit CSpeechQueue(double maxBacklogSeconds) : m_max(maxBacklogSeconds) {}

    // False when `item` itself was dropped.
    bool Push(SpeechItem item);
    // The next line to read, now being read; none when nothing waits.
    std::optional<SpeechItem> Start();
    // The line being read has been read (or failed).
    void Finished() { m_speaking = 0; }
    // A line that was read and not heard goes back to the front, to be read first; what waits
    // beyond the bound then goes, as a push would drop it.
    void Requeue(SpeechItem item);
    void Clear();
    // A new bound; what waits beyond it goes, as a push would drop it.
    void SetMaxBacklog(double seconds);
    // New estimates for the waiting lines (the engine turned out slower or faster than thought);
    // what waits beyond the bound then goes.
    void Reestimate(const std::function<double(const SpeechItem&)>& seconds);

    double Backlog() const { return m_queued + m_speaking; }
    double WorstBacklog() const { return m_worst; }
    std::size_t Waiting() const { return m_items.size(); }
    std::size_t Dropped() const { return m_dropped; }

private:
    bool DropOldest(bool priority);
    void Trim();

    double m_max;
    std::deque<SpeechItem> m_items;
    double m_queued = 0;
    double m_speaking = 0;  // the whole estimate of the line being read
    double m_worst = 0;
    std::size_t m_dropped = 0;
};

}  // namespace zandrel
