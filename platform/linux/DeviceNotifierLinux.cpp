#include "platform/linux/DeviceNotifierLinux.h"

#include <libudev.h>

#include <utility>

namespace platform {

namespace {

// "…#hidraw3&0001#{…}": the node name stands between '#' and '&' in the paths the hidraw
// backend makes, so hidraw1 does not pick up the paths of hidraw10.
bool pathNamesNode(const std::wstring& path, const std::string& node) {
    const std::wstring marker = L"#" + std::wstring(node.begin(), node.end()) + L"&";
    return path.find(marker) != std::wstring::npos;
}

std::string nodeOfPath(const std::wstring& path) {
    const std::size_t idsEnd = path.find(L'#', path.find(L"hid#") + 4);
    if (idsEnd == std::wstring::npos) {
        return {};
    }
    const std::size_t amp = path.find(L'&', idsEnd + 1);
    if (amp == std::wstring::npos) {
        return {};
    }
    std::string node;
    for (std::size_t i = idsEnd + 1; i < amp; ++i) {
        node.push_back(static_cast<char>(path[i]));
    }
    return node;
}

}  // namespace

DeviceNotifierLinux::DeviceNotifierLinux(std::string sysfsRoot, std::string devRoot)
    : m_backend(std::move(sysfsRoot), std::move(devRoot)) {}

DeviceNotifierLinux::~DeviceNotifierLinux() {
    if (m_monitor != nullptr) {
        udev_monitor_unref(m_monitor);
    }
    if (m_udev != nullptr) {
        udev_unref(m_udev);
    }
}

bool DeviceNotifierLinux::start(Handler handler) {
    m_handler = std::move(handler);
    rememberPresentNodes();
    if (m_monitor != nullptr) {
        return true;
    }
    m_udev = udev_new();
    if (m_udev == nullptr) {
        return false;
    }
    // "udev" rather than "kernel": the event comes after udev has set up the node's
    // permissions, so the program can open the node it is told about.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        if (m_monitor != nullptr) {
            udev_monitor_unref(m_monitor);
            m_monitor = nullptr;
        }
        return false;
    }
    // The monitor's socket is non-blocking, so dispatch() never waits.
    m_fd = udev_monitor_get_fd(m_monitor);
    return m_fd >= 0;
}

void DeviceNotifierLinux::dispatch() {
    if (m_monitor == nullptr) {
        return;
    }
    while (udev_device* device = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(device);
        const char* name = udev_device_get_sysname(device);
        std::string actionText = action != nullptr ? action : "";
        std::string nodeText = name != nullptr ? name : "";
        udev_device_unref(device);
        handleUevent(actionText, nodeText);
    }
}

void DeviceNotifierLinux::handleUevent(const std::string& action, const std::string& node) {
    if (node.empty()) {
        return;
    }
    std::vector<std::wstring> paths;
    DeviceChange change;
    if (action == "add") {
        paths = pathsOfNode(node);
        m_known[node] = paths;
        change = DeviceChange::Arrival;
    } else if (action == "remove") {
        auto it = m_known.find(node);
        if (it == m_known.end()) {
            return;  // a node we never saw: nothing to say which interfaces it carried
        }
        paths = std::move(it->second);
        m_known.erase(it);
        change = DeviceChange::RemoveComplete;
    } else {
        return;
    }
    if (!m_handler) {
        return;
    }
    for (const std::wstring& path : paths) {
        m_handler(change, path);
    }
}

std::vector<std::wstring> DeviceNotifierLinux::pathsOfNode(const std::string& node) {
    std::vector<HidInterfaceEntry> entries;
    std::vector<std::wstring> paths;
    if (!m_backend.enumerateInterfaces(kHidInterfaceClassGuid, entries)) {
        return paths;
    }
    for (const HidInterfaceEntry& entry : entries) {
        if (entry.detail == InterfaceDetail::Ok && pathNamesNode(entry.path, node)) {
            paths.push_back(entry.path);
        }
    }
    return paths;
}

void DeviceNotifierLinux::rememberPresentNodes() {
    std::vector<HidInterfaceEntry> entries;
    m_known.clear();
    if (!m_backend.enumerateInterfaces(kHidInterfaceClassGuid, entries)) {
        return;
    }
    for (const HidInterfaceEntry& entry : entries) {
        if (entry.detail != InterfaceDetail::Ok) {
            continue;
        }
        const std::string node = nodeOfPath(entry.path);
        if (!node.empty()) {
            m_known[node].push_back(entry.path);
        }
    }
}

std::unique_ptr<DeviceNotifier> createSystemDeviceNotifier() {
    return std::make_unique<DeviceNotifierLinux>();
}

}  // namespace platform
