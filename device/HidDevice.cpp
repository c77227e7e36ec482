#include "device/HidDevice.h"

#include <memory>

#include "common/Log.h"
#include "device/HidDeviceInfo.h"
#include "platform/NamedGuard.h"

namespace {

constexpr std::uint32_t kErrorIoPending = 997;

const std::string kOpenLabel = "HidDevice::Open";
const std::string kCloseLabel = "HidDevice::Close";
const std::string kWriteLabel = "HidDevice::Write";
const std::string kGetFeatureLabel = "HidDevice::GetFeature";
const std::string kSetFeatureLabel = "HidDevice::SetFeature";

unsigned traceValue(platform::HidHandle handle) {
    return static_cast<unsigned>(handle);
}

}  // namespace

HidDevice::HidDevice(platform::HidBackend& backend, bool overlapped, std::uint32_t writeTimeout_ms)
    : m_backend(backend), m_overlapped(overlapped), m_writeTimeout_ms(writeTimeout_ms) {}

bool HidDevice::hasHandle() const {
    return m_handle != platform::kNoHidHandle && m_handle != platform::kInvalidHidHandle;
}

bool HidDevice::IsOpen() const {
    return hasHandle();
}

bool HidDevice::Open(std::uint32_t access, const wchar_t* path) {
    platform::NamedGuard guard(kOpenLabel);
    if (path == nullptr) {
        return false;
    }
    if (hasHandle()) {
        m_backend.close(m_handle);
    }
    m_handle = platform::kNoHidHandle;

    const std::wstring devicePath(path);
    m_handle = m_backend.open(devicePath, access & 0xFF000000u, access & 0xFFu, m_overlapped);
    kg::logLine(kg::LogArea::Device, "open dev: %08x\n", traceValue(m_handle));
    if (!hasHandle()) {
        return false;
    }

    // The capabilities come through a second handle without access rights; a failure there
    // leaves the old capabilities and does not fail the open.
    const platform::HidHandle query =
        m_backend.open(devicePath, 0, platform::kShareRead | platform::kShareWrite, false);
    if (query != platform::kInvalidHidHandle && query != platform::kNoHidHandle) {
        platform::HidAttributes attributes;
        m_backend.getAttributes(query, attributes);
        platform::HidCaps caps;
        if (m_backend.getCaps(query, caps)) {
            m_caps = caps;
        }
        m_backend.close(query);
    }
    return true;
}

bool HidDevice::OpenFirstMatch(std::int32_t vendorId, const std::int32_t* productIds,
                               std::int32_t productCount, std::int32_t interfaceNumber,
                               std::int32_t collectionNumber, std::uint16_t* versionOut,
                               std::uint32_t access) {
    platform::NamedGuard guard(kOpenLabel);
    const std::unique_ptr<HidDeviceInfo> found = FindHidDevices(
        m_backend, vendorId, productIds, productCount, interfaceNumber, collectionNumber);
    if (!found) {
        return false;
    }
    const bool opened = Open(access, found->path.c_str());
    if (versionOut != nullptr) {
        *versionOut = found->versionNumber;
    }
    return opened;
}

void HidDevice::Close() {
    platform::NamedGuard guard(kCloseLabel);
    // The invalid value left by a failed open counts as a handle here, as it does for the
    // system's close; our backends refuse it, which leaves the object just as closed.
    if (m_handle != platform::kNoHidHandle && m_backend.close(m_handle)) {
        m_handle = platform::kNoHidHandle;
    }
}

std::uint32_t HidDevice::Write(const std::uint8_t* report) {
    platform::NamedGuard guard(kWriteLabel);
    std::uint32_t written = 0;
    if (report != nullptr && hasHandle()) {
        std::uint32_t length = kReportLength;
        kg::logLine(
            kg::LogArea::Device, "写(异步)USB设备 handle=%08x, data=%08x, len=%d, timeout=%d\n",
            traceValue(m_handle), static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(report)),
            static_cast<int>(length), static_cast<int>(m_writeTimeout_ms));
        // A write never exceeds the interface's output report.
        if (m_caps.outputReportByteLength != 0 && m_caps.outputReportByteLength < length) {
            length = m_caps.outputReportByteLength;
        }
        kg::logLine(kg::LogArea::Device, "正在写入... %d\n", static_cast<int>(length));

        const platform::WriteResult result =
            m_backend.write(m_handle, report, length, m_writeTimeout_ms);
        switch (result.outcome) {
            case platform::WriteOutcome::CompletedAtOnce:
                written = result.bytesWritten;
                break;
            case platform::WriteOutcome::CompletedPending:
                kg::logLine(kg::LogArea::Device, "写文件错误(%04x,%d)\n", traceValue(m_handle),
                            static_cast<int>(kErrorIoPending));
                kg::logLine(kg::LogArea::Device, "asynchronous write succeed : %d\n",
                            static_cast<int>(traceValue(m_handle)));
                written = result.bytesWritten;
                break;
            case platform::WriteOutcome::TimedOut:
                kg::logLine(kg::LogArea::Device, "写文件错误(%04x,%d)\n", traceValue(m_handle),
                            static_cast<int>(kErrorIoPending));
                kg::logLine(kg::LogArea::Device, "超时索引错误\n");
                break;
            case platform::WriteOutcome::Failed:
                kg::logLine(kg::LogArea::Device, "写文件错误(%04x,%d)\n", traceValue(m_handle),
                            static_cast<int>(result.errorCode));
                kg::logLine(kg::LogArea::Device, "写文件错误(%04x,%d)\n", traceValue(m_handle),
                            static_cast<int>(result.errorCode));
                break;
        }
    }
    kg::logLine(kg::LogArea::Device, "已写长度为 %d\n", static_cast<int>(written));
    return written;
}

bool HidDevice::GetFeature(std::uint8_t* buffer) {
    platform::NamedGuard guard(kGetFeatureLabel);
    if (buffer == nullptr || !hasHandle()) {
        return false;
    }
    return m_backend.getFeature(m_handle, buffer, kReportLength);
}

bool HidDevice::SetFeature(const std::uint8_t* buffer) {
    platform::NamedGuard guard(kSetFeatureLabel);
    if (buffer == nullptr || !hasHandle()) {
        return false;
    }
    return m_backend.setFeature(m_handle, buffer, kReportLength);
}
