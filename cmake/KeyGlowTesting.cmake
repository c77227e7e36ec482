# kg_add_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One GoogleTest executable per library, registered as one CTest case.
# The MinGW cross build defines the GTest targets itself (cmake/windows-deps.cmake).
if(NOT TARGET GTest::gtest)
  find_package(GTest REQUIRED)
endif()

# Real-world fixtures live outside the repository, beside it in ../shared; tests that
# read them skip when the folder is absent.
get_filename_component(KEYGLOW_SHARED_DIR ${PROJECT_SOURCE_DIR}/../shared ABSOLUTE)

# Qt's offscreen platform on Windows reads fonts from one folder (QT_QPA_FONTDIR) instead of
# asking fontconfig; under Wine the GUI tests get the build machine's fonts (Debian's
# fonts-dejavu-core and fonts-wqy-microhei, the ones the native tests see) gathered in one folder.
set(KEYGLOW_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=*.debug=false")
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(_kg_test_fonts ${CMAKE_BINARY_DIR}/test-fonts)
  file(MAKE_DIRECTORY ${_kg_test_fonts})
  file(GLOB _kg_fonts /usr/share/fonts/truetype/dejavu/*.ttf /usr/share/fonts/truetype/wqy/*.ttc)
  foreach(font ${_kg_fonts})
    get_filename_component(_kg_font_name ${font} NAME)
    file(CREATE_LINK ${font} ${_kg_test_fonts}/${_kg_font_name} SYMBOLIC)
  endforeach()
  list(APPEND KEYGLOW_TEST_ENVIRONMENT "QT_QPA_FONTDIR=${_kg_test_fonts}")
endif()

function(kg_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  # A static Qt links only the default platform plugin into an executable; the GUI tests run on
  # the offscreen one. (Programs without Qt Gui are not affected.)
  if(TARGET Qt6::QOffscreenIntegrationPlugin)
    qt_import_plugins(${name} INCLUDE Qt6::QOffscreenIntegrationPlugin)
  endif()
  target_compile_definitions(${name} PRIVATE
    KEYGLOW_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KEYGLOW_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data"
    KEYGLOW_SHARED_DIR="${KEYGLOW_SHARED_DIR}"
    KEYGLOW_BIN_DIR="${KEYGLOW_BIN_DIR}")
  # A cross build registers its tests only when it can run them (Wine, through the emulator).
  if(NOT CMAKE_CROSSCOMPILING OR CMAKE_CROSSCOMPILING_EMULATOR)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
      ENVIRONMENT "${KEYGLOW_TEST_ENVIRONMENT}"
      TIMEOUT 300)
    if(ARG_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
  endif()
endfunction()
