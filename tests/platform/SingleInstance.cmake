# The single-instance service: the Linux backend between real processes (a helper program is
# the second start). The Windows backend is tested in tests/win32.
if(NOT WIN32)
  add_executable(kg_single_instance_helper ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceHelper.cpp)
  target_link_libraries(kg_single_instance_helper PRIVATE kg_platform)

  kg_add_test(kg_platform_singleinstance_test
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SingleInstanceTest.cpp
    LIBS kg_platform)
  target_compile_definitions(kg_platform_singleinstance_test PRIVATE
    KEYGLOW_SINGLE_INSTANCE_HELPER="$<TARGET_FILE:kg_single_instance_helper>")
  add_dependencies(kg_platform_singleinstance_test kg_single_instance_helper)
endif()
