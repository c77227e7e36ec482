#pragma once

#include <string>

#include "tests/kernel/UsbGadget.h"

namespace kgtest {

// The one gadget keyboard of the test program, built and plugged in on first use (enumeration
// costs most of a second under emulation). Null with the reason in `error` when it cannot be
// made. Every test leaves it plugged in.
UsbGadget* sharedGadget(std::string& error);

}  // namespace kgtest

// Inside the guest: the plugged-in gadget, or the test fails.
#define KG_REQUIRE_GADGET(var)                                      \
    KG_REQUIRE_GUEST();                                             \
    std::string var##Error;                                         \
    kgtest::UsbGadget* var##Ptr = kgtest::sharedGadget(var##Error); \
    ASSERT_NE(var##Ptr, nullptr) << var##Error;                     \
    ASSERT_TRUE(var##Ptr->plugged() || var##Ptr->plug());           \
    kgtest::UsbGadget& var = *var##Ptr;                             \
    var.drain()
