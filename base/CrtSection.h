#pragma once

#include <mutex>

namespace zandrel {

// A lock, as the session's shared state sees it.
class ILockItem {
public:
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    virtual ~ILockItem() = default;
};

// The one lock implementation. Not recursive: nothing in the program takes it twice. Constant-
// initialised, so g_lock is usable before any dynamic initialiser runs.
class CCrtSection final : public ILockItem {
public:
    constexpr CCrtSection() = default;
    CCrtSection(const CCrtSection&) = delete;
    CCrtSection& operator=(const CCrtSection&) = delete;

    void Lock() override { m_cs.lock(); }
    void Unlock() override { m_cs.unlock(); }

private:
    std::mutex m_cs;
};

// Holds an ILockItem for one scope, so that an early return or an exception cannot leave it taken.
class CLockGuard {
public:
    explicit CLockGuard(ILockItem& lock) : m_lock(lock) { m_lock.Lock(); }
    ~CLockGuard() { m_lock.Unlock(); }
    CLockGuard(const CLockGuard&) = delete;
    CLockGuard& operator=(const CLockGuard&) = delete;

private:
    ILockItem& m_lock;
};

}  // namespace zandrel
