# The build-time image tool (tools/uiart) draws with Qt and runs on the build machine, so a cross
# build runs a host build of it, as it runs the host's moc and rcc. Sets KEYGLOW_UIART_COMMAND
# (the tool to run) and KEYGLOW_UIART_DEPENDS (what a rule running it depends on).
#
# Native builds build the tool in tools/uiart. A cross build takes KEYGLOW_HOST_UIART when it
# names an already built tool; otherwise it builds tools/uiart itself with the host compiler and
# the host's Qt, as an external project in <build>/uiart-host.
if(NOT KEYGLOW_GUI)
  return()
endif()

if(NOT CMAKE_CROSSCOMPILING)
  set(KEYGLOW_UIART_COMMAND $<TARGET_FILE:kg_uiart_tool>)
  set(KEYGLOW_UIART_DEPENDS kg_uiart_tool)
  return()
endif()

set(KEYGLOW_HOST_UIART "" CACHE FILEPATH
  "A host build of tools/uiart for the cross build (built in this tree when empty)")
if(KEYGLOW_HOST_UIART)
  set(KEYGLOW_UIART_COMMAND ${KEYGLOW_HOST_UIART})
  set(KEYGLOW_UIART_DEPENDS ${KEYGLOW_HOST_UIART})
  return()
endif()

include(ExternalProject)
set(_kg_uiart_host_dir ${CMAKE_BINARY_DIR}/uiart-host)
# No toolchain file and no cross settings reach the external project: it is a plain host build.
ExternalProject_Add(kg_uiart_host
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/uiart
  BINARY_DIR ${_kg_uiart_host_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  BUILD_COMMAND ${CMAKE_COMMAND} --build ${_kg_uiart_host_dir} --target kg_uiart_tool
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${_kg_uiart_host_dir}/uiart
  USES_TERMINAL_BUILD OFF)
set(KEYGLOW_UIART_COMMAND ${_kg_uiart_host_dir}/uiart)
set(KEYGLOW_UIART_DEPENDS kg_uiart_host ${_kg_uiart_host_dir}/uiart)
