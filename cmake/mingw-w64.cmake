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

# Qt for MinGW, built by scripts/build-qt-mingw into a cache outside the repository:
# KEYGLOW_QT_MINGW names its prefix. Qt's own toolchain file adds the prefix to the search paths
# and points at the host's Qt tools (moc, rcc, uic) of the same version. Without it the cross build
# has no GUI and builds the Qt-free libraries only.
set(KEYGLOW_QT_MINGW "${KEYGLOW_QT_MINGW}" CACHE PATH "Qt for MinGW (scripts/build-qt-mingw --prefix)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KEYGLOW_QT_MINGW)
if(KEYGLOW_QT_MINGW)
  if(NOT EXISTS ${KEYGLOW_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake)
    message(FATAL_ERROR "KEYGLOW_QT_MINGW=${KEYGLOW_QT_MINGW} holds no Qt for MinGW "
      "(run scripts/install-deps-windows)")
  endif()
  include(${KEYGLOW_QT_MINGW}/lib/cmake/Qt6/qt.toolchain.cmake)
endif()
