#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "runtime/MonotonicClock.h"

// What a callback running on the worker sees of its thread.
class ISimpleThread {
public:
    virtual ~ISimpleThread() = default;

    // The user lock guards data shared between the worker's callback and its producers
    // (the key player's queue). It is recursive, as the system mutex it stands for.
    virtual void Lock() = 0;
    virtual void Unlock() = 0;

    // Waits up to wait_ms; returns early when Wake or Stop is called meanwhile.
    virtual void Wait(std::uint32_t wait_ms) = 0;

    // Asks the worker for one more pass of its idle callback. The worker sleeps between
    // passes until a task is due, Notify is called or the thread stops: a producer calls it
    // after queuing work for the callback, and the callback calls it when it leaves work
    // behind for the next pass.
    virtual void Notify() = 0;
};

// A task for the worker: run after intervalMs, repeatCount times (0 and 1 both mean once,
// -1 without end).
class BaseRunable {
public:
    virtual ~BaseRunable() = default;

    virtual bool IsValid() const = 0;
    virtual std::unique_ptr<BaseRunable> Clone() const = 0;
    virtual int Run(std::int32_t param1, std::int32_t param2, const std::uint8_t* data,
                    std::size_t dataSize) = 0;

    std::int32_t param1 = 0;
    std::int32_t param2 = 0;
    std::vector<std::uint8_t> data;
    std::uint32_t intervalMs = 0;
    std::int32_t repeatCount = 1;
    // Clock time at which the current delay began; 0 = not started.
    std::uint64_t startTick = 0;
};

// A task that calls a member function of its owner.
template <class T>
class SimpleRunable final : public BaseRunable {
public:
    using Method = int (T::*)(std::int32_t, std::int32_t, const std::uint8_t*, std::size_t);

    SimpleRunable(T* obj, Method fn) : object(obj), method(fn) {}

    bool IsValid() const override { return object != nullptr && method != nullptr; }

    std::unique_ptr<BaseRunable> Clone() const override {
        return std::make_unique<SimpleRunable>(*this);
    }

    int Run(std::int32_t p1, std::int32_t p2, const std::uint8_t* bytes,
            std::size_t size) override {
        return (object->*method)(p1, p2, bytes, size);
    }

    T* object;
    Method method;
};

// Two threads: a timer thread that moves due tasks from the timer list to the work queue,
// and a worker that runs queued tasks and, on every pass, the idle callback (the key player).
// Both sleep until there is something to do; nothing polls.
class SimpleThread final : public ISimpleThread {
public:
    class ICallback {
    public:
        virtual ~ICallback() = default;
        // A nonzero result ends the worker thread.
        virtual int Call(ISimpleThread& thread, void* context) = 0;
    };

    template <class T>
    class Callback final : public ICallback {
    public:
        using Method = int (T::*)(ISimpleThread&, void*);
        Callback(T* obj, Method fn) : m_object(obj), m_method(fn) {}
        int Call(ISimpleThread& thread, void* context) override {
            return (m_object->*m_method)(thread, context);
        }

    private:
        T* m_object;
        Method m_method;
    };

    explicit SimpleThread(kg::MonotonicClock& clock = kg::systemClock());
    ~SimpleThread() override;

    SimpleThread(const SimpleThread&) = delete;
    SimpleThread& operator=(const SimpleThread&) = delete;

    // Starts whichever of the two threads is not running yet; context is handed to the
    // idle callback.
    void Start(void* context);

    // Ends both threads, waits for them and releases every task left. Returns at once from a
    // Wait in progress. Called on one of the worker's own threads it only asks them to end;
    // the next Stop (or the destructor) on another thread waits for them.
    void Stop();

    // Takes ownership; the delay starts when the timer thread first sees the task.
    void Post(std::unique_ptr<BaseRunable> task);

    void SetIdleCallback(std::unique_ptr<ICallback> callback);

    // Cuts a Wait in progress short.
    void Wake();

    void Lock() override;
    void Unlock() override;
    void Wait(std::uint32_t wait_ms) override;
    void Notify() override;

    bool IsRunning() const;

private:
    void timerLoop();
    void workerLoop();

    kg::MonotonicClock& m_clock;
    void* m_context = nullptr;

    std::recursive_mutex m_userLock;

    // queueLock: the two task lists, the idle callback and the flags below.
    mutable std::mutex m_queueLock;
    std::condition_variable m_timerCv;
    std::condition_variable m_workerCv;
    std::list<std::unique_ptr<BaseRunable>> m_timerList;
    std::deque<std::unique_ptr<BaseRunable>> m_workQueue;
    std::shared_ptr<ICallback> m_idleCallback;
    bool m_timerRun = false;
    bool m_workerRun = false;
    bool m_timerListChanged = false;
    bool m_passRequested = false;

    // The wake event: Stop sets it for good (until the next Start), Wake pulses it.
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeCv;
    bool m_wakeSet = false;
    std::uint64_t m_wakeGeneration = 0;

    std::thread m_timerThread;
    std::thread m_workerThread;
};
