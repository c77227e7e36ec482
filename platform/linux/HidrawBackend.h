#pragma once

#include <sys/types.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/HidBackend.h"

namespace platform {

// hidraw through sysfs. Each top-level Application collection of a hidraw node's report
// descriptor is listed as its own interface, the way Windows lists them, with a path in the
// Windows form so that the path rules of the device layer apply unchanged:
//   \\?\hid#vid_258a&pid_0049&mi_01&col02#hidraw3&0001#{4d1e55b2-f16f-11cf-88cb-001111000030}
// "mi_NN" appears for an interface of a composite USB device, "colNN" (1-based) when the node
// has more than one top-level collection; the third part names the node and the collection's
// 0-based index. The roots are parameters so that tests can run against fixture folders.
class HidrawBackend : public HidBackend {
public:
    explicit HidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");
    ~HidrawBackend() override;

    bool enumerateInterfaces(const Guid& interfaceClass,
                             std::vector<HidInterfaceEntry>& out) override;
    HidHandle open(const std::wstring& path, std::uint32_t desiredAccess, std::uint32_t shareMode,
                   bool overlapped) override;
    bool close(HidHandle handle) override;
    bool getAttributes(HidHandle handle, HidAttributes& out) override;
    bool getCaps(HidHandle handle, HidCaps& out) override;
    // Waits at most timeout_ms. Unlike the interface's promise, a transfer that outlives the
    // limit is not cancelled (hidraw has no way to): it ends by the kernel's USB time-out, and
    // until then the next write waits for it, within its own limit.
    WriteResult write(HidHandle handle, const std::uint8_t* data, std::uint32_t length,
                      std::uint32_t timeout_ms) override;
    bool getFeature(HidHandle handle, std::uint8_t* buffer, std::uint32_t length) override;
    bool setFeature(HidHandle handle, const std::uint8_t* buffer, std::uint32_t length) override;

    // The interface paths of one node ("hidraw3"), as enumerateInterfaces lists them; empty
    // when sysfs does not know the node (any more). For turning a hot-plug event into paths.
    std::vector<std::wstring> interfacePaths(const std::string& node) const;

private:
    struct Opened {
        int fd = -1;  // -1 for a handle opened without access rights
        std::string node;
        std::size_t collectionIndex = 0;
    };

    // One output report on its way, shared with the thread that moves it.
    struct PendingWrite {
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        ssize_t written = -1;
        int error = 0;

        bool waitUntil(std::chrono::steady_clock::time_point deadline);
        void finish(ssize_t result, int errorCode);
    };

    bool lookup(HidHandle handle, Opened& out);

    std::string m_sysfsRoot;
    std::string m_devRoot;
    std::mutex m_mutex;
    std::map<HidHandle, Opened> m_opened;
    HidHandle m_nextHandle = 0x10;
    std::shared_ptr<PendingWrite> m_lastWrite;  // the latest transfer, ended or not
};

}  // namespace platform
