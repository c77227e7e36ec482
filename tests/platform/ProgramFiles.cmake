# The program folder, atomic file writes and the autostart entry.
set(kg_program_files_sources ProgramFolderTest.cpp AtomicFileTest.cpp)
if(NOT WIN32)
  list(APPEND kg_program_files_sources AtomicFileLinuxTest.cpp AutostartLinuxTest.cpp
    OpenProgramLinuxTest.cpp)
endif()
kg_add_test(kg_program_files_tests SOURCES ${kg_program_files_sources} LIBS kg_platform kg_test_support)
