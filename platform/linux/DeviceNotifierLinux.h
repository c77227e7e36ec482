#pragma once

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/DeviceNotifier.h"
#include "platform/linux/HidrawBackend.h"

struct udev;
struct udev_monitor;

namespace platform {

// A udev monitor on the hidraw subsystem. An added hidraw node is reported as the arrival of
// each interface path the hidraw backend lists for it; a removed node as the removal of the
// paths it had, remembered from its arrival (or from start()), because its sysfs entry is gone
// by the time the removal is read.
class DeviceNotifierLinux final : public DeviceNotifier {
public:
    explicit DeviceNotifierLinux(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");
    ~DeviceNotifierLinux() override;

    DeviceNotifierLinux(const DeviceNotifierLinux&) = delete;
    DeviceNotifierLinux& operator=(const DeviceNotifierLinux&) = delete;

    // Opens the monitor and remembers the paths of the nodes present now. Without a monitor
    // (no netlink socket allowed) it returns false; handleUevent still works.
    bool start(Handler handler) override;
    int pollFd() const override { return m_fd; }
    void dispatch() override;

    // One event as udev reports it: the action ("add", "remove", ...) and the node's name
    // ("hidraw3"). Calls the handler for each path concerned.
    void handleUevent(const std::string& action, const std::string& node);

private:
    std::vector<std::wstring> pathsOfNode(const std::string& node);
    void rememberPresentNodes();

    HidrawBackend m_backend;
    Handler m_handler;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    int m_fd = -1;
    std::map<std::string, std::vector<std::wstring>> m_known;
};

}  // namespace platform
