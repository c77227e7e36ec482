#include "tests/kernel/SharedGadget.h"

#include <memory>

namespace kgtest {

UsbGadget* sharedGadget(std::string& error) {
    static std::unique_ptr<UsbGadget> gadget;
    static std::string failure;
    if (!gadget && failure.empty()) {
        auto made = std::make_unique<UsbGadget>();
        if (!made->create(failure)) {
            error = failure;
            return nullptr;
        }
        if (!made->plug()) {
            failure = "the gadget keyboard did not come up on the host";
            error = failure;
            return nullptr;
        }
        gadget = std::move(made);
    }
    error = failure;
    return gadget.get();
}

}  // namespace kgtest
