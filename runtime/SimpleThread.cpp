#include "runtime/SimpleThread.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "platform/StartThread.h"

SimpleThread::SimpleThread(kg::MonotonicClock& clock) : m_clock(clock) {}

SimpleThread::~SimpleThread() {
    Stop();
}

void SimpleThread::Start(void* context) {
    std::lock_guard lock(m_queueLock);
    // The context is stored before the threads exist, so the worker never sees it unset.
    m_context = context;
    // A thread the system refuses is not reported: the jobs that need it never run.
    if (!m_timerThread.joinable()) {
        m_timerRun = true;
        if (!platform::startThread(m_timerThread, [this] { timerLoop(); })) {
            m_timerRun = false;
        }
    }
    if (!m_workerThread.joinable()) {
        {
            std::lock_guard wake(m_wakeMutex);
            m_wakeSet = false;
        }
        m_workerRun = true;
        if (!platform::startThread(m_workerThread, [this] { workerLoop(); })) {
            m_workerRun = false;
        }
    }
}

void SimpleThread::Stop() {
    {
        std::lock_guard lock(m_queueLock);
        m_timerRun = false;
        m_workerRun = false;
    }
    m_timerCv.notify_all();
    m_workerCv.notify_all();
    {
        std::lock_guard wake(m_wakeMutex);
        m_wakeSet = true;
    }
    m_wakeCv.notify_all();

    std::thread::id self = std::this_thread::get_id();
    if (self == m_timerThread.get_id() || self == m_workerThread.get_id()) {
        // A thread cannot wait for itself; it ends after its current pass.
        return;
    }
    if (m_timerThread.joinable()) {
        m_timerThread.join();
    }
    if (m_workerThread.joinable()) {
        m_workerThread.join();
    }

    std::list<std::unique_ptr<BaseRunable>> timers;
    std::deque<std::unique_ptr<BaseRunable>> work;
    {
        std::lock_guard lock(m_queueLock);
        timers.swap(m_timerList);
        work.swap(m_workQueue);
    }
    // Released outside the lock: a task's destructor is the owner's code.
}

void SimpleThread::Post(std::unique_ptr<BaseRunable> task) {
    if (!task) {
        return;
    }
    {
        std::lock_guard lock(m_queueLock);
        task->startTick = 0;
        m_timerList.push_back(std::move(task));
        m_timerListChanged = true;
    }
    m_timerCv.notify_all();
}

void SimpleThread::SetIdleCallback(std::unique_ptr<ICallback> callback) {
    std::shared_ptr<ICallback> old;
    {
        std::lock_guard lock(m_queueLock);
        old = std::exchange(m_idleCallback, std::shared_ptr<ICallback>(std::move(callback)));
        m_passRequested = true;
    }
    m_workerCv.notify_all();
    // `old` goes here, or when the worker's pass that still holds it ends.
}

void SimpleThread::Wake() {
    {
        std::lock_guard wake(m_wakeMutex);
        ++m_wakeGeneration;
    }
    m_wakeCv.notify_all();
}

void SimpleThread::Lock() {
    m_userLock.lock();
}

void SimpleThread::Unlock() {
    m_userLock.unlock();
}

void SimpleThread::Wait(std::uint32_t wait_ms) {
    std::unique_lock lock(m_wakeMutex);
    const std::uint64_t generation = m_wakeGeneration;
    const std::uint64_t deadline = m_clock.nowMs() + wait_ms;
    while (!m_wakeSet && generation == m_wakeGeneration && m_clock.nowMs() < deadline) {
        m_clock.waitUntil(m_wakeCv, lock, deadline);
    }
}

void SimpleThread::Notify() {
    {
        std::lock_guard lock(m_queueLock);
        m_passRequested = true;
    }
    m_workerCv.notify_all();
}

bool SimpleThread::IsRunning() const {
    std::lock_guard lock(m_queueLock);
    return m_timerRun || m_workerRun;
}

void SimpleThread::timerLoop() {
    std::unique_lock lock(m_queueLock);
    while (m_timerRun) {
        m_timerListChanged = false;
        const std::uint64_t now = m_clock.nowMs();
        std::uint64_t next = std::numeric_limits<std::uint64_t>::max();
        bool moved = false;
        for (auto it = m_timerList.begin(); it != m_timerList.end();) {
            BaseRunable& task = **it;
            if (task.startTick == 0) {
                task.startTick = now;
            }
            if (now - task.startTick >= task.intervalMs) {
                if (task.repeatCount != 0 && task.repeatCount != -1) {
                    --task.repeatCount;
                }
                m_workQueue.push_back(task.Clone());
                moved = true;
                if (task.repeatCount == 0) {
                    it = m_timerList.erase(it);
                    continue;
                }
                // The next delay starts now; a zero interval still waits one tick between
                // runs so the timer never turns without sleeping.
                task.startTick = now;
                next = std::min<std::uint64_t>(next,
                                               now + std::max<std::uint32_t>(task.intervalMs, 1));
            } else {
                next = std::min<std::uint64_t>(next, task.startTick + task.intervalMs);
            }
            ++it;
        }
        if (moved) {
            m_workerCv.notify_all();
        }
        if (m_timerListChanged || !m_timerRun) {
            continue;
        }
        if (next == std::numeric_limits<std::uint64_t>::max()) {
            m_timerCv.wait(lock, [this] { return !m_timerRun || m_timerListChanged; });
        } else {
            m_clock.waitUntil(m_timerCv, lock, next);
        }
    }
}

void SimpleThread::workerLoop() {
    std::unique_lock lock(m_queueLock);
    while (m_workerRun) {
        std::unique_ptr<BaseRunable> task;
        if (!m_workQueue.empty()) {
            task = std::move(m_workQueue.front());
            m_workQueue.pop_front();
        }
        std::shared_ptr<ICallback> callback = m_idleCallback;
        void* context = m_context;
        m_passRequested = false;
        lock.unlock();

        // No lock is held while a task or the callback runs.
        if (task && task->IsValid()) {
            task->Run(task->param1, task->param2, task->data.data(), task->data.size());
        }
        task.reset();
        int result = callback ? callback->Call(*this, context) : 0;
        callback.reset();

        lock.lock();
        if (result != 0) {
            m_workerRun = false;
            break;
        }
        m_workerCv.wait(lock,
                        [this] { return !m_workerRun || !m_workQueue.empty() || m_passRequested; });
    }
}
