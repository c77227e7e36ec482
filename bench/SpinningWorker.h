#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

// For comparison only: the worker as first designed, with a timer thread that wakes every
// millisecond and a worker that calls its idle callback in a loop without ever sleeping.
class SpinningWorker {
public:
    explicit SpinningWorker(std::function<int()> idle) : m_idle(std::move(idle)) {}
    ~SpinningWorker() { stop(); }

    void start() {
        m_run = true;
        m_timer = std::thread([this] {
            while (m_run) {
                {
                    std::lock_guard lock(m_queueLock);
                    ++m_timerPasses;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        });
        m_worker = std::thread([this] {
            while (m_run) {
                { std::lock_guard lock(m_queueLock); }
                if (m_idle() != 0) {
                    break;
                }
            }
        });
    }

    void stop() {
        m_run = false;
        if (m_timer.joinable()) {
            m_timer.join();
        }
        if (m_worker.joinable()) {
            m_worker.join();
        }
    }

private:
    std::function<int()> m_idle;
    std::atomic<bool> m_run = false;
    std::mutex m_queueLock;
    long m_timerPasses = 0;
    std::thread m_timer;
    std::thread m_worker;
};
