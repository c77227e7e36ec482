# Cross build for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix).
# The posix thread model gives std::thread and std::mutex; -static makes every .exe need
# only the system DLLs, so it runs under Wine or on Windows as it stands.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEYGLOW_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KEYGLOW_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEYGLOW_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KEYGLOW_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KEYGLOW_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A wide entry point (wmain/wWinMain) additionally needs -municode on its own target.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Tests run under Wine through this wrapper (private prefix, time limit); see scripts/windows-test.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec)
