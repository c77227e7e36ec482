# HID report descriptors; on Linux also the hidraw backend against fixture sysfs trees and the
# named operation guard across processes.
set(kg_platform_hid_tests HidReportDescriptorTest.cpp)
if(NOT WIN32)
  list(APPEND kg_platform_hid_tests HidrawBackendTest.cpp NamedGuardLinuxTest.cpp)
endif()
kg_add_test(test_platform_hid SOURCES ${kg_platform_hid_tests} LIBS kg_platform)
