#include "platform/emulator/EmulatedKeyboard.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <utility>

#include "platform/StartThread.h"

namespace platform {
namespace {

// System error codes the emulated driver answers with, as the Windows HID stack would.
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorGenFailure = 31;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;

constexpr std::uint8_t kFirmwareRequest = 0xFC;
constexpr std::uint8_t kFactoryReset = 0xF0;
constexpr std::uint8_t kFactoryResetKey = 0xAA;

bool samePath(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<std::wint_t>(x)) ==
                      std::towlower(static_cast<std::wint_t>(y));
           });
}

std::string hexBytes(const std::uint8_t* bytes, std::size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        if (i != 0) {
            text += ' ';
        }
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0xF];
    }
    return text;
}

const char* reportWord(EmulatedKeyboard::ReportKind kind) {
    switch (kind) {
        case EmulatedKeyboard::ReportKind::SetFeature:
            return "set-feature";
        case EmulatedKeyboard::ReportKind::GetFeature:
            return "get-feature";
        case EmulatedKeyboard::ReportKind::Write:
            return "write";
    }
    return "report";
}

}  // namespace

std::vector<EmulatedKeyboard::Interface> EmulatedKeyboard::defaultInterfaces() {
    const std::wstring classSuffix = L"#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    std::vector<Interface> interfaces(3);

    interfaces[kBootKeyboard].path =
        L"\\\\?\\hid#vid_258a&pid_0049&mi_00#7&2a5b1c3d&0&0000" + classSuffix;
    interfaces[kBootKeyboard].caps = {0x0006, 0x0001, 9, 2, 0};

    interfaces[kConsumerControl].path =
        L"\\\\?\\hid#vid_258a&pid_0049&mi_01&col01#7&1b2c3d4e&0&0000" + classSuffix;
    interfaces[kConsumerControl].caps = {0x0001, 0x000C, 3, 0, 0};

    interfaces[kVendorCollection].path =
        L"\\\\?\\hid#vid_258a&pid_0049&mi_01&col02#7&1b2c3d4e&0&0001" + classSuffix;
    interfaces[kVendorCollection].caps = {0x0001, 0xFF00, 8, 8, 8};
    return interfaces;
}

EmulatedKeyboard::Options EmulatedKeyboard::Options::fromEnvironment(const Lookup& lookup) {
    const auto read = [&lookup](const char* name) -> const char* {
        return lookup ? lookup(name) : std::getenv(name);
    };
    Options options;
    if (const char* firmware = read("KEYGLOW_EMULATOR_FIRMWARE")) {
        char* end = nullptr;
        const unsigned long version = std::strtoul(firmware, &end, 0);
        if (end != firmware && *end == '\0' && version <= 0xFFFF) {
            options.firmwareVersion = static_cast<std::uint16_t>(version);
        }
    }
    if (const char* log = read("KEYGLOW_EMULATOR_LOG")) {
        options.logPath = log;
    }
    return options;
}

EmulatedKeyboard::EmulatedKeyboard() : EmulatedKeyboard(Options::fromEnvironment()) {}

EmulatedKeyboard::EmulatedKeyboard(Options options) : m_options(std::move(options)) {
    if (!m_options.logPath.empty()) {
        // Binary: the same "\n" line ends on every system.
        m_log = std::fopen(m_options.logPath.c_str(), "ab");
    }
    // Without its timer the keyboard still answers; only a restart never comes back.
    platform::startThread(m_timer, [this] { timerLoop(); });
}

EmulatedKeyboard::~EmulatedKeyboard() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_timerWake.notify_all();
    if (m_timer.joinable()) {
        m_timer.join();
    }
    if (m_log != nullptr) {
        std::fclose(m_log);
    }
}

// ---- HidBackend --------------------------------------------------------------------------

bool EmulatedKeyboard::countAndMaybeFail(Operation op) {
    ++m_calls[op];
    int& failures = m_failures[op];
    if (failures == 0) {
        return false;
    }
    if (failures > 0) {
        --failures;
    }
    return true;
}

const EmulatedKeyboard::OpenHandle* EmulatedKeyboard::liveHandle(HidHandle handle) const {
    const auto it = m_handles.find(handle);
    if (it == m_handles.end() || !m_plugged || it->second.generation != m_generation) {
        return nullptr;
    }
    return &it->second;
}

bool EmulatedKeyboard::enumerateInterfaces(const Guid& interfaceClass,
                                           std::vector<HidInterfaceEntry>& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    out.clear();
    if (countAndMaybeFail(Operation::Enumerate)) {
        return false;
    }
    if (!(interfaceClass == kHidInterfaceClassGuid) || !m_plugged) {
        return true;
    }
    for (std::size_t i = 0; i < m_options.interfaces.size(); ++i) {
        const Interface& source = m_options.interfaces[i];
        HidInterfaceEntry entry;
        entry.memberIndex = static_cast<std::uint32_t>(i);
        entry.interfaceClassGuid = kHidInterfaceClassGuid;
        entry.flags = kInterfaceActive;
        if (source.detailFails) {
            entry.detail = InterfaceDetail::Failed;
        } else {
            entry.path = source.path;
        }
        out.push_back(entry);
    }
    return true;
}

HidHandle EmulatedKeyboard::open(const std::wstring& path, std::uint32_t desiredAccess,
                                 std::uint32_t /*shareMode*/, bool /*overlapped*/) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (countAndMaybeFail(Operation::Open) || !m_plugged) {
        return kInvalidHidHandle;
    }
    for (std::size_t i = 0; i < m_options.interfaces.size(); ++i) {
        if (samePath(m_options.interfaces[i].path, path)) {
            const HidHandle handle = m_nextHandle;
            m_nextHandle += 4;
            m_handles[handle] = OpenHandle{i, m_generation, (desiredAccess & kGenericRead) != 0,
                                           (desiredAccess & kGenericWrite) != 0};
            return handle;
        }
    }
    return kInvalidHidHandle;
}

bool EmulatedKeyboard::close(HidHandle handle) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (countAndMaybeFail(Operation::Close)) {
        return false;
    }
    // A handle of a keyboard that has gone away still closes.
    return m_handles.erase(handle) == 1;
}

bool EmulatedKeyboard::getAttributes(HidHandle handle, HidAttributes& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const OpenHandle* opened = liveHandle(handle);
    if (countAndMaybeFail(Operation::GetAttributes) || opened == nullptr) {
        return false;
    }
    const Interface& source = m_options.interfaces[opened->interfaceIndex];
    out.vendorId = source.vendorId;
    out.productId = source.productId;
    out.versionNumber = source.versionNumber;
    return true;
}

bool EmulatedKeyboard::getCaps(HidHandle handle, HidCaps& out) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const OpenHandle* opened = liveHandle(handle);
    if (countAndMaybeFail(Operation::GetCaps) || opened == nullptr) {
        return false;
    }
    out = m_options.interfaces[opened->interfaceIndex].caps;
    return true;
}

WriteResult EmulatedKeyboard::write(HidHandle handle, const std::uint8_t* data,
                                    std::uint32_t length, std::uint32_t timeout_ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    WriteResult result;
    const OpenHandle* opened = liveHandle(handle);
    if (countAndMaybeFail(Operation::Write)) {
        result.errorCode = kErrorGenFailure;
        return result;
    }
    m_lastWriteTimeout_ms = timeout_ms;
    if (opened == nullptr) {
        result.errorCode = kErrorDeviceNotConnected;
        return result;
    }
    if (!opened->canWrite) {
        result.errorCode = kErrorAccessDenied;
        return result;
    }
    const std::size_t index = opened->interfaceIndex;
    const std::uint16_t outputLength = m_options.interfaces[index].caps.outputReportByteLength;
    if (data == nullptr || length == 0 || length > outputLength) {
        result.errorCode = kErrorInvalidParameter;
        return result;
    }
    const std::vector<std::uint8_t> report(data, data + length);
    const unsigned generation = m_generation;

    result.outcome = WriteOutcome::CompletedAtOnce;
    if (m_stalled) {
        ++m_writesPending;
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        m_stallChanged.wait_until(
            lock, deadline, [&] { return !m_stalled || m_generation != generation || m_stopping; });
        --m_writesPending;
        if (m_generation != generation || !m_plugged) {
            result.outcome = WriteOutcome::Failed;
            result.errorCode = kErrorDeviceNotConnected;
            return result;
        }
        if (m_stalled) {
            // The time limit came first: the transfer is cancelled and never reaches the
            // firmware.
            record(ReportKind::Write, index, report.data(), report.size(), false);
            result.outcome = WriteOutcome::TimedOut;
            return result;
        }
        result.outcome = WriteOutcome::CompletedPending;
    }

    record(ReportKind::Write, index, report.data(), report.size(), true);
    result.bytesWritten = length;
    if (index == m_options.vendorInterface && report.size() >= 3 && report[0] == kReportId &&
        report[1] == kFactoryReset && report[2] == kFactoryResetKey) {
        scheduleRestart();
    }
    return result;
}

bool EmulatedKeyboard::getFeature(HidHandle handle, std::uint8_t* buffer, std::uint32_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const OpenHandle* opened = liveHandle(handle);
    if (countAndMaybeFail(Operation::GetFeature) || opened == nullptr || buffer == nullptr) {
        return false;
    }
    const Interface& source = m_options.interfaces[opened->interfaceIndex];
    if (opened->interfaceIndex != m_options.vendorInterface ||
        length != source.caps.featureReportByteLength || buffer[0] != kReportId) {
        return false;
    }
    const std::vector<std::uint8_t> reply = replyFor(buffer[0]);
    const std::size_t count = std::min<std::size_t>(reply.size(), length);
    std::copy(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(count), buffer);
    record(ReportKind::GetFeature, opened->interfaceIndex, buffer, length, true);
    return true;
}

bool EmulatedKeyboard::setFeature(HidHandle handle, const std::uint8_t* buffer,
                                  std::uint32_t length) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const OpenHandle* opened = liveHandle(handle);
    if (countAndMaybeFail(Operation::SetFeature) || opened == nullptr || buffer == nullptr) {
        return false;
    }
    const Interface& source = m_options.interfaces[opened->interfaceIndex];
    if (opened->interfaceIndex != m_options.vendorInterface ||
        length != source.caps.featureReportByteLength || buffer[0] != kReportId) {
        return false;
    }
    // Effect (F7) and side-light (FF) reports are taken as they come; the firmware request (FC)
    // makes the next feature read return the version.
    m_firmwareRequested = length >= 2 && buffer[1] == kFirmwareRequest;
    record(ReportKind::SetFeature, opened->interfaceIndex, buffer, length, true);
    return true;
}

std::vector<std::uint8_t> EmulatedKeyboard::replyFor(std::uint8_t reportId) {
    std::vector<std::uint8_t> reply(8, 0);
    reply[0] = reportId;
    if (m_firmwareRequested) {
        reply[1] = static_cast<std::uint8_t>(m_options.firmwareVersion >> 8);
        reply[2] = static_cast<std::uint8_t>(m_options.firmwareVersion & 0xFF);
    }
    return reply;
}

void EmulatedKeyboard::record(ReportKind kind, std::size_t interfaceIndex,
                              const std::uint8_t* bytes, std::size_t length, bool completed) {
    m_reports.push_back(
        Report{kind, interfaceIndex, std::vector<std::uint8_t>(bytes, bytes + length), completed});
    const std::string text = hexBytes(bytes, length);
    logLine(completed ? std::string(reportWord(kind)) + " " + text : "cancelled write " + text);
}

void EmulatedKeyboard::logLine(const std::string& line) {
    if (m_log == nullptr) {
        return;
    }
    std::fputs(line.c_str(), m_log);
    std::fputc('\n', m_log);
    std::fflush(m_log);
}

// ---- plug, unplug and the restart -----------------------------------------------------------

bool EmulatedKeyboard::setPlugged(bool plugged) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_plugged == plugged) {
        return false;
    }
    m_plugged = plugged;
    if (!plugged) {
        ++m_generation;
        m_firmwareRequested = false;
    }
    logLine(plugged ? "plug" : "unplug");
    m_stallChanged.notify_all();
    return true;
}

void EmulatedKeyboard::notify(DeviceEvent event) {
    std::vector<std::wstring> paths;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const Interface& source : m_options.interfaces) {
            paths.push_back(source.path);
        }
    }
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    std::vector<int> ids;
    for (const auto& [id, listener] : m_listeners) {
        ids.push_back(id);
    }
    for (const std::wstring& path : paths) {
        for (int id : ids) {
            const auto it = m_listeners.find(id);  // a listener may have removed itself
            if (it != m_listeners.end()) {
                const Listener listener = it->second;
                listener(event, path);
            }
        }
    }
}

void EmulatedKeyboard::unplug() {
    if (setPlugged(false)) {
        notify(DeviceEvent::Removal);
    }
}

void EmulatedKeyboard::plug() {
    if (setPlugged(true)) {
        notify(DeviceEvent::Arrival);
    }
}

void EmulatedKeyboard::scheduleRestart() {
    const auto now = std::chrono::steady_clock::now();
    const auto removal = now + m_options.restartRemovalDelay;
    m_timed.push_back(TimedEvent{removal, DeviceEvent::Removal});
    m_timed.push_back(TimedEvent{removal + m_options.restartArrivalDelay, DeviceEvent::Arrival});
    logLine("restart");
    m_timerWake.notify_all();
}

void EmulatedKeyboard::timerLoop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        if (m_timed.empty()) {
            m_timerWake.wait(lock);
            continue;
        }
        const TimedEvent next = m_timed.front();
        if (std::chrono::steady_clock::now() < next.due) {
            m_timerWake.wait_until(lock, next.due);
            continue;
        }
        m_timed.pop_front();
        lock.unlock();
        if (next.event == DeviceEvent::Removal) {
            unplug();
        } else {
            plug();
            std::lock_guard<std::mutex> relock(m_mutex);
            ++m_restartCount;
        }
        lock.lock();
    }
}

// ---- listeners and test controls --------------------------------------------------------

int EmulatedKeyboard::addListener(Listener listener) {
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    const int id = m_nextListener++;
    m_listeners.emplace(id, std::move(listener));
    return id;
}

void EmulatedKeyboard::removeListener(int id) {
    std::lock_guard<std::recursive_mutex> lock(m_listenerMutex);
    m_listeners.erase(id);
}

bool EmulatedKeyboard::plugged() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_plugged;
}

void EmulatedKeyboard::stallWrites(bool stalled) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stalled = stalled;
    }
    m_stallChanged.notify_all();
}

void EmulatedKeyboard::failCalls(Operation op, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_failures[op] = count;
}

void EmulatedKeyboard::setFirmwareVersion(std::uint16_t version) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_options.firmwareVersion = version;
}

void EmulatedKeyboard::setCaps(std::size_t interfaceIndex, const HidCaps& caps) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (interfaceIndex < m_options.interfaces.size()) {
        m_options.interfaces[interfaceIndex].caps = caps;
    }
}

std::vector<EmulatedKeyboard::Report> EmulatedKeyboard::reports() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_reports;
}

void EmulatedKeyboard::clearReports() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reports.clear();
}

int EmulatedKeyboard::callCount(Operation op) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_calls.find(op);
    return it == m_calls.end() ? 0 : it->second;
}

std::uint32_t EmulatedKeyboard::lastWriteTimeout_ms() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastWriteTimeout_ms;
}

int EmulatedKeyboard::writesPending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_writesPending;
}

int EmulatedKeyboard::restartCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_restartCount;
}

std::wstring EmulatedKeyboard::path(std::size_t interfaceIndex) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return interfaceIndex < m_options.interfaces.size() ? m_options.interfaces[interfaceIndex].path
                                                        : std::wstring();
}

std::size_t EmulatedKeyboard::openHandleCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_handles.size();
}

}  // namespace platform
