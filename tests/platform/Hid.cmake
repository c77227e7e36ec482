# HID report descriptors and the named operation guard; on Linux also the hidraw backend
# against fixture sysfs trees and the guard across processes; on Windows the system's HID stack.
set(kg_platform_hid_tests HidReportDescriptorTest.cpp NamedGuardTest.cpp)
if(WIN32)
  list(APPEND kg_platform_hid_tests HidWin32BackendTest.cpp)
else()
  list(APPEND kg_platform_hid_tests HidrawBackendTest.cpp NamedGuardLinuxTest.cpp)
endif()
kg_add_test(test_platform_hid SOURCES ${kg_platform_hid_tests} LIBS kg_platform)
if(NOT CMAKE_CROSSCOMPILING)
  # The guard's lock files go to the runtime folder; keep the tests' ones in the build tree.
  set_property(TEST test_platform_hid APPEND PROPERTY ENVIRONMENT
    "XDG_RUNTIME_DIR=${CMAKE_CURRENT_BINARY_DIR}")
endif()
