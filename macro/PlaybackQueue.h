#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/SimpleThread.h"
#include "settings/MacroStep.h"

// What the player needs of a step. The display name stays in the stored record: copying it
// into every queued step made a long name times a large repeat count exhaust memory inside
// the hook.
struct PlayStep {
    std::int32_t code = 0;
    std::int32_t state = 0;
    std::int32_t delay = 0;
};

// The key steps waiting to be played, oldest first. The UI thread appends copies (so later
// changes never touch a stored record) and the worker plays and removes the front one. Every
// access takes the worker's user lock; appending asks the worker for a pass.
//
// The queue has a fixed room, taken once when it is made, so appending inside the hook never
// allocates. A repeat count from a hand-edited record.xml can be anything up to 2^31: only
// whole copies of a macro are queued, as many as fit, so that no bound ever cuts a copy between
// a key's press and its release.
class PlaybackQueue {
public:
    // `capacity` steps of room (at least one); the program's queue has kCapacity.
    explicit PlaybackQueue(ISimpleThread& worker, std::size_t capacity = kCapacity);
    PlaybackQueue(const PlaybackQueue&) = delete;
    PlaybackQueue& operator=(const PlaybackQueue&) = delete;

    // At most this many steps wait at once in the program (1.2 MB).
    static constexpr std::size_t kCapacity = 100000;

    std::size_t capacity() const noexcept { return m_capacity; }

    // Which steps of a record an append takes.
    enum class Take { All, Presses, Releases };

    // Appends up to `copies` copies of the chosen steps, only whole ones, as many as fit beside
    // the steps queued and the room held for releases; returns how many copies were queued.
    std::size_t append(const std::vector<MacroStep>& steps, std::size_t copies,
                       Take take = Take::All) noexcept;

    // Appends one copy of the record's presses only when its releases fit as well, and holds
    // the room for those releases until appendHeldReleases. False (nothing queued, nothing held)
    // when they do not fit.
    bool appendPressesHoldingReleases(const std::vector<MacroStep>& steps) noexcept;
    // Appends the record's releases into the room held for them (and whatever else fits).
    void appendHeldReleases(const std::vector<MacroStep>& steps) noexcept;

    // Appends a copy of one step; false (and nothing queued) when there is no room.
    bool append(const MacroStep& step) noexcept;

    bool empty() const noexcept;
    std::size_t size() const noexcept;
    // Room held for the releases of combinations whose presses are queued or played.
    std::size_t heldRoom() const noexcept;

    // Whether the newest queued step has the code, state and delay of step.
    bool backMatches(const MacroStep& step) const noexcept;

    // Turns every queued step into a release with no delay; returns whether any was queued.
    bool cutToReleases() noexcept;

    // Copies the front step; false when the queue is empty. onCopied runs under the same lock.
    template <class F>
    bool copyFront(PlayStep& out, F&& onCopied) const noexcept {
        Guard g(m_worker);
        if (m_size == 0) {
            return false;
        }
        out = m_ring[m_head];
        onCopied();
        return true;
    }

    // Frees the front step; returns how many steps are left.
    std::size_t popFront() noexcept;

    // Drops every step and every held room.
    void clear() noexcept;

    // For the owner, under its own Lock/Unlock pair.
    ISimpleThread& worker() const noexcept { return m_worker; }

private:
    struct Guard {
        explicit Guard(ISimpleThread& t) : thread(t) { thread.Lock(); }
        ~Guard() { thread.Unlock(); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        ISimpleThread& thread;
    };

    static bool taken(const MacroStep& step, Take take) noexcept;
    static std::size_t count(const std::vector<MacroStep>& steps, Take take) noexcept;
    std::size_t freeRoom() const noexcept;                               // lock held
    void push(const std::vector<MacroStep>& steps, Take take) noexcept;  // lock held, room checked
    void push(const MacroStep& step) noexcept;                           // lock held, room checked

    ISimpleThread& m_worker;
    std::size_t m_capacity;
    std::unique_ptr<PlayStep[]> m_ring;
    std::size_t m_head = 0;
    std::size_t m_size = 0;
    std::size_t m_held = 0;
};
