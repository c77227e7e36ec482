# Device notifications: the emulated keyboard's everywhere, the udev monitor on Linux.
set(kg_platform_notifier_tests DeviceNotifierEmulatorTest.cpp
    ${PROJECT_SOURCE_DIR}/platform/emulator/EmulatorDeviceNotifier.cpp)
if(NOT WIN32)
  list(APPEND kg_platform_notifier_tests DeviceNotifierLinuxTest.cpp)
endif()
kg_add_test(test_platform_notifier SOURCES ${kg_platform_notifier_tests}
  LIBS kg_platform kg_platform_emulator)
