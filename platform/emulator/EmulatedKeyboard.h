#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/HidBackend.h"

namespace platform {

// An in-process USB keyboard behind the HID backend interface: a boot keyboard interface
// (mi_00), a consumer-control collection (mi_01&col01) and the vendor collection with report
// ID 7 (mi_01&col02) that carries the lighting reports. Its firmware model records every
// report, answers the firmware request (07 FC) with its version, and restarts after the
// factory-reset output report (07 F0 AA): its interfaces go away and come back a few hundred
// milliseconds later, as the real keyboard's do.
//
// All members are safe to call from any thread. Listeners are called on the thread that caused
// the event (plug, unplug) or on the emulator's own timer thread (the restart), never with the
// emulator's lock held, so they may call back into the emulator.
class EmulatedKeyboard : public HidBackend {
public:
    static constexpr std::uint16_t kVendorId = 0x258A;
    static constexpr std::uint16_t kProductId = 0x0049;
    static constexpr std::uint16_t kDefaultFirmwareVersion = 0x0100;
    static constexpr std::uint8_t kReportId = 7;

    struct Interface {
        std::wstring path;
        HidCaps caps;
        std::uint16_t vendorId = kVendorId;
        std::uint16_t productId = kProductId;
        std::uint16_t versionNumber = 0x0100;
        bool detailFails = false;  // enumeration cannot read this interface's path
    };

    // The three interfaces above, in the order the system enumerates them.
    static std::vector<Interface> defaultInterfaces();
    static constexpr std::size_t kBootKeyboard = 0;
    static constexpr std::size_t kConsumerControl = 1;
    static constexpr std::size_t kVendorCollection = 2;

    struct Options {
        std::vector<Interface> interfaces = defaultInterfaces();
        // Index into `interfaces` of the collection that takes the report-ID-7 reports.
        std::size_t vendorInterface = kVendorCollection;
        std::uint16_t firmwareVersion = kDefaultFirmwareVersion;
        std::string logPath;  // empty: no log
        std::chrono::milliseconds restartRemovalDelay{50};
        std::chrono::milliseconds restartArrivalDelay{300};

        // Defaults, with KEYGLOW_EMULATOR_FIRMWARE (for instance 0x0285) and
        // KEYGLOW_EMULATOR_LOG (a file to append the report log to) applied. `lookup` reads a
        // variable (null when unset); the process environment unless given.
        using Lookup = std::function<const char*(const char* name)>;
        static Options fromEnvironment(const Lookup& lookup = nullptr);
    };

    enum class Operation {
        Enumerate,
        Open,
        Close,
        GetAttributes,
        GetCaps,
        Write,
        GetFeature,
        SetFeature
    };
    enum class ReportKind { SetFeature, GetFeature, Write };

    struct Report {
        ReportKind kind;
        std::size_t interfaceIndex;
        std::vector<std::uint8_t> bytes;  // as sent; for GetFeature the reply given
        bool completed = true;            // false: a write cancelled at its time limit
    };

    enum class DeviceEvent { Arrival, Removal };
    using Listener = std::function<void(DeviceEvent event, const std::wstring& path)>;

    EmulatedKeyboard();  // Options::fromEnvironment()
    explicit EmulatedKeyboard(Options options);
    ~EmulatedKeyboard() override;

    EmulatedKeyboard(const EmulatedKeyboard&) = delete;
    EmulatedKeyboard& operator=(const EmulatedKeyboard&) = delete;

    // HidBackend
    bool enumerateInterfaces(const Guid& interfaceClass,
                             std::vector<HidInterfaceEntry>& out) override;
    HidHandle open(const std::wstring& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                   bool overlapped) override;
    bool close(HidHandle handle) override;
    bool getAttributes(HidHandle handle, HidAttributes& out) override;
    bool getCaps(HidHandle handle, HidCaps& out) override;
    WriteResult write(HidHandle handle, const std::uint8_t* data, std::uint32_t length,
                      std::uint32_t timeout_ms) override;
    bool getFeature(HidHandle handle, std::uint8_t* buffer, std::uint32_t length) override;
    bool setFeature(HidHandle handle, const std::uint8_t* buffer, std::uint32_t length) override;

    // Device notifications: arrival and removal of each interface path. Returns an id for
    // removeListener, which waits for a call in progress on another thread to finish.
    int addListener(Listener listener);
    void removeListener(int id);

    // Test controls.
    void unplug();  // removal of every interface; open handles stop working
    void plug();    // arrival of every interface
    bool plugged() const;
    // While stalled, a write stays pending until unstalled or until its time limit.
    void stallWrites(bool stalled);
    // The next `count` calls of `op` fail (-1: every call until set to 0).
    void failCalls(Operation op, int count);
    void setFirmwareVersion(std::uint16_t version);
    void setCaps(std::size_t interfaceIndex, const HidCaps& caps);

    // Observation.
    std::vector<Report> reports() const;
    void clearReports();
    int callCount(Operation op) const;  // every call of `op`, failed ones included
    std::uint32_t lastWriteTimeout_ms() const;
    int writesPending() const;  // writes waiting in a stall right now
    int restartCount() const;   // factory-reset restarts that have completed (arrival done)
    std::wstring path(std::size_t interfaceIndex) const;
    std::size_t openHandleCount() const;

private:
    struct OpenHandle {
        std::size_t interfaceIndex;
        unsigned generation;  // plug generation at open; stale once the keyboard has gone
        bool canRead;
        bool canWrite;
    };

    bool countAndMaybeFail(Operation op);                  // m_mutex held
    const OpenHandle* liveHandle(HidHandle handle) const;  // m_mutex held
    void record(ReportKind kind, std::size_t interfaceIndex, const std::uint8_t* bytes,
                std::size_t length, bool completed);            // m_mutex held
    void logLine(const std::string& line);                      // m_mutex held
    std::vector<std::uint8_t> replyFor(std::uint8_t reportId);  // m_mutex held
    void scheduleRestart();                                     // m_mutex held
    void timerLoop();
    void notify(DeviceEvent event);  // m_mutex not held
    bool setPlugged(bool plugged);   // false when already in that state

    Options m_options;
    mutable std::mutex m_mutex;
    std::condition_variable m_stallChanged;
    bool m_plugged = true;
    unsigned m_generation = 0;
    bool m_stalled = false;
    int m_writesPending = 0;
    std::map<HidHandle, OpenHandle> m_handles;
    HidHandle m_nextHandle = 0x100;
    std::map<Operation, int> m_calls;
    std::map<Operation, int> m_failures;
    std::vector<Report> m_reports;
    bool m_firmwareRequested = false;
    std::uint32_t m_lastWriteTimeout_ms = 0;
    int m_restartCount = 0;
    std::FILE* m_log = nullptr;

    // Restart timer: one thread, started with the emulator, that carries out due events.
    struct TimedEvent {
        std::chrono::steady_clock::time_point due;
        DeviceEvent event;
    };
    std::deque<TimedEvent> m_timed;
    std::condition_variable m_timerWake;
    bool m_stopping = false;
    std::thread m_timer;

    std::recursive_mutex m_listenerMutex;  // held while listeners run
    std::map<int, Listener> m_listeners;
    int m_nextListener = 1;
};

}  // namespace platform
