# The Windows packages of the program (not part of ALL; scripts/windows-test builds them):
#   kg_stage      the program folder as shipped: keyglow.exe (stripped), config.xml, uires\
#   kg_portable   keyglow-<version>-portable.zip of that folder, runnable where it is unpacked
#   kg_installer  keyglow-<version>-setup.exe, built with NSIS (dist/windows/keyglow.nsi)
if(NOT WIN32 OR NOT TARGET keyglow)
  return()
endif()

set(_kg_stage ${CMAKE_BINARY_DIR}/package/KeyGlow)
set(_kg_zip ${CMAKE_BINARY_DIR}/package/keyglow-${PROJECT_VERSION}-portable.zip)
set(_kg_setup ${CMAKE_BINARY_DIR}/package/keyglow-${PROJECT_VERSION}-setup.exe)
find_program(KEYGLOW_STRIP NAMES ${KEYGLOW_MINGW_TRIPLE}-strip)
find_program(KEYGLOW_MAKENSIS NAMES makensis)

set(_kg_strip_command)
if(KEYGLOW_STRIP)
  set(_kg_strip_command COMMAND ${KEYGLOW_STRIP} ${_kg_stage}/keyglow.exe)
endif()
add_custom_target(kg_stage
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${_kg_stage}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_kg_stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:keyglow> ${KEYGLOW_BIN_DIR}/config.xml ${_kg_stage}
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${KEYGLOW_BIN_DIR}/uires ${_kg_stage}/uires
  ${_kg_strip_command}
  COMMENT "Staging the program folder in ${_kg_stage}"
  VERBATIM)
add_dependencies(kg_stage keyglow)

add_custom_target(kg_portable
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_kg_zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${_kg_zip} --format=zip KeyGlow
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/package
  COMMENT "Packing ${_kg_zip}"
  VERBATIM)
add_dependencies(kg_portable kg_stage)

if(KEYGLOW_MAKENSIS)
  add_custom_target(kg_installer
    COMMAND ${KEYGLOW_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${_kg_stage}
            -DOUTFILE=${_kg_setup} ${PROJECT_SOURCE_DIR}/dist/windows/keyglow.nsi
    COMMENT "Building ${_kg_setup}"
    VERBATIM)
  add_dependencies(kg_installer kg_stage)
else()
  message(STATUS "makensis not found (Debian package nsis): no kg_installer")
endif()
