# Third-party libraries for the MinGW cross build, compiled from source in this build tree:
# pugixml from Debian's own source package, GoogleTest from /usr/src/googletest. The native
# build uses the installed packages through find_package instead.
#
# Defines pugixml::pugixml and, with KEYGLOW_TESTS, GTest::gtest, GTest::gmock and
# GTest::gtest_main. Our warning flags are cleared on these targets: they are not our code.

set(KEYGLOW_DEPS_DIR ${CMAKE_BINARY_DIR}/_deps CACHE PATH
    "Where the cross build unpacks third-party sources")
set(KEYGLOW_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (googletest package)")

function(kg_third_party target)
  set_property(TARGET ${target} PROPERTY COMPILE_OPTIONS "")
  target_compile_options(${target} PRIVATE -w)
endfunction()

# pugixml: `apt-get source` needs a deb-src entry for the installed suite, which
# scripts/install-deps-windows writes. Unpacked once per build tree.
file(GLOB _kg_pugixml_src ${KEYGLOW_DEPS_DIR}/pugixml/pugixml-*/src/pugixml.cpp)
if(NOT _kg_pugixml_src)
  file(MAKE_DIRECTORY ${KEYGLOW_DEPS_DIR}/pugixml)
  message(STATUS "Fetching the pugixml source package into ${KEYGLOW_DEPS_DIR}/pugixml")
  execute_process(COMMAND apt-get source -qq pugixml
    WORKING_DIRECTORY ${KEYGLOW_DEPS_DIR}/pugixml
    RESULT_VARIABLE _kg_apt_result OUTPUT_QUIET ERROR_VARIABLE _kg_apt_error)
  file(GLOB _kg_pugixml_src ${KEYGLOW_DEPS_DIR}/pugixml/pugixml-*/src/pugixml.cpp)
  if(NOT _kg_pugixml_src)
    message(FATAL_ERROR "Could not get the pugixml source package (${_kg_apt_result}): "
      "${_kg_apt_error}\nRun scripts/install-deps-windows first (it adds the deb-src entry).")
  endif()
endif()
list(GET _kg_pugixml_src 0 _kg_pugixml_src)
get_filename_component(_kg_pugixml_dir ${_kg_pugixml_src} DIRECTORY)

add_library(kg_third_pugixml STATIC ${_kg_pugixml_src})
target_include_directories(kg_third_pugixml SYSTEM PUBLIC ${_kg_pugixml_dir})
kg_third_party(kg_third_pugixml)
add_library(pugixml::pugixml ALIAS kg_third_pugixml)
set(pugixml_FOUND TRUE)

if(KEYGLOW_TESTS)
  set(_gt ${KEYGLOW_GOOGLETEST_DIR}/googletest)
  set(_gm ${KEYGLOW_GOOGLETEST_DIR}/googlemock)
  if(NOT EXISTS ${_gt}/src/gtest-all.cc)
    message(FATAL_ERROR "GoogleTest sources not found in ${KEYGLOW_GOOGLETEST_DIR} "
      "(Debian package googletest)")
  endif()

  add_library(kg_third_gtest STATIC ${_gt}/src/gtest-all.cc)
  target_include_directories(kg_third_gtest SYSTEM PUBLIC ${_gt}/include PRIVATE ${_gt})
  target_link_libraries(kg_third_gtest PUBLIC Threads::Threads)
  kg_third_party(kg_third_gtest)

  add_library(kg_third_gmock STATIC ${_gm}/src/gmock-all.cc)
  target_include_directories(kg_third_gmock SYSTEM PUBLIC ${_gm}/include PRIVATE ${_gm})
  target_link_libraries(kg_third_gmock PUBLIC kg_third_gtest)
  kg_third_party(kg_third_gmock)

  add_library(kg_third_gtest_main STATIC ${_gt}/src/gtest_main.cc)
  target_link_libraries(kg_third_gtest_main PUBLIC kg_third_gtest)
  kg_third_party(kg_third_gtest_main)

  add_library(GTest::gtest ALIAS kg_third_gtest)
  add_library(GTest::gmock ALIAS kg_third_gmock)
  add_library(GTest::gtest_main ALIAS kg_third_gtest_main)
  set(GTest_FOUND TRUE)
endif()
