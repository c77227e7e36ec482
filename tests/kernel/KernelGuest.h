#pragma once

#include <gtest/gtest.h>

#include <string>

// The real-kernel tests need Debian's kernel with uhid, uinput and a USB gadget on dummy_hcd,
// which only the test guest of scripts/linux-vm-test has. Its /init sets KEYGLOW_VM_GUEST;
// elsewhere every test skips, and inside the guest the guest treats any skip as a failure.
namespace kgtest {

bool inGuest();

// Runs a shell command (the guest has busybox and udevadm); true when it exited 0.
bool run(const std::string& command);

// Waits until udev has handled every event so far.
void settleUdev();

// The text of a sysfs file, empty when it cannot be read. A plain read(): the files of a device
// being unplugged fail their reads (ENODEV), on which libstdc++'s file streams throw.
std::string readSysfs(const std::string& file);

// Whether the running kernel is version major.minor or newer.
bool kernelAtLeast(int major, int minor);

}  // namespace kgtest

#define KG_REQUIRE_GUEST()                                                  \
    do {                                                                    \
        if (!kgtest::inGuest()) {                                           \
            GTEST_SKIP() << "needs the test guest (scripts/linux-vm-test)"; \
        }                                                                   \
    } while (false)
