#include "tests/kernel/KernelGuest.h"

#include <cstdlib>

namespace kgtest {

bool inGuest() {
    const char* marker = std::getenv("KEYGLOW_VM_GUEST");
    return marker != nullptr && std::string(marker) == "1";
}

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

void settleUdev() {
    run("udevadm settle --timeout=10");
}

}  // namespace kgtest
