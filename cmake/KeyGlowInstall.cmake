# Installing on Linux, and the Debian package CPack makes of it (scripts/package):
#   /usr/lib/keyglow/        the program folder: keyglow, config.xml and uires (a link to
#                            /usr/share/keyglow/uires, where data that is the same on every
#                            architecture belongs); the program reads both from beside itself
#                            and, the folder being read-only, writes its settings to
#                            $XDG_CONFIG_HOME/keyglow
#   /usr/bin/keyglow         a link to the program
#   /usr/lib/udev/rules.d, /usr/lib/modules-load.d   the keyboard's permissions, uinput at boot
#   /usr/share/...           desktop entry, icons, AppStream metadata, manual page, documents
set(KEYGLOW_INSTALL_PROGRAM_DIR lib/keyglow)
set(KEYGLOW_INSTALL_DATA_DIR share/keyglow)
set(KEYGLOW_INSTALL_DOC_DIR share/doc/keyglow)
set(_dist ${PROJECT_SOURCE_DIR}/dist)
set(_staged ${CMAKE_BINARY_DIR}/dist)

install(TARGETS keyglow RUNTIME DESTINATION ${KEYGLOW_INSTALL_PROGRAM_DIR})
install(FILES ${KEYGLOW_BIN_DIR}/config.xml DESTINATION ${KEYGLOW_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${KEYGLOW_BIN_DIR}/uires DESTINATION ${KEYGLOW_INSTALL_DATA_DIR})
# Relative links, so that the tree also works unpacked somewhere else (the package check).
install(CODE "
  set(_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  file(MAKE_DIRECTORY \"\${_root}/bin\")
  file(CREATE_LINK ../../share/keyglow/uires \"\${_root}/${KEYGLOW_INSTALL_PROGRAM_DIR}/uires\" SYMBOLIC)
  file(CREATE_LINK ../lib/keyglow/keyglow \"\${_root}/bin/keyglow\" SYMBOLIC)
")

install(FILES ${_dist}/udev/70-keyglow.rules DESTINATION lib/udev/rules.d)
install(FILES ${_dist}/linux/modules-load.conf DESTINATION lib/modules-load.d RENAME keyglow.conf)
install(FILES ${_dist}/linux/keyglow.desktop DESTINATION share/applications)
install(FILES ${_dist}/linux/org.keyglow.keyglow.metainfo.xml DESTINATION share/metainfo)
if(TARGET kg_uiart_hicolor)
  install(DIRECTORY ${KEYGLOW_HICOLOR_DIR}/ DESTINATION share/icons/hicolor)
endif()

# Debian wants manual pages and changelogs compressed, without a time stamp in the archive.
configure_file(${_dist}/man/keyglow.1.in ${_staged}/keyglow.1 @ONLY)
add_custom_command(OUTPUT ${_staged}/keyglow.1.gz
  COMMAND gzip -9nkf ${_staged}/keyglow.1
  DEPENDS ${_staged}/keyglow.1
  VERBATIM)
add_custom_command(OUTPUT ${_staged}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${_dist}/debian/changelog ${_staged}/changelog
  COMMAND gzip -9nf ${_staged}/changelog
  DEPENDS ${_dist}/debian/changelog
  VERBATIM)
add_custom_target(kg_dist_docs ALL DEPENDS ${_staged}/keyglow.1.gz ${_staged}/changelog.gz)
install(FILES ${_staged}/keyglow.1.gz DESTINATION share/man/man1)
install(FILES ${_staged}/changelog.gz ${_dist}/debian/copyright ${PROJECT_SOURCE_DIR}/docs/linux-input.md
  DESTINATION ${KEYGLOW_INSTALL_DOC_DIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME keyglow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "KeyGlow Developers <dev@keyglow.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "lighting, key re-assignment and macros for a USB RGB keyboard")
# Debian wants the lines of the long description within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION
  "KeyGlow sets the backlight and side-light effects of a USB RGB keyboard
(258a:0049) through its HID reports, re-assigns keys in software (to another
key, a media key, a program, a key combination or a recorded macro), records
and plays macros and lives in the notification area.

The package gives the user at the seat access to the keyboard, to the
keyboards' event devices and to uinput, which key re-assignment needs, and
loads uinput at boot.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Programs of the shipped configuration's entries: xdg-open and gtk-launch.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libgtk-3-bin")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${_dist}/debian/postinst ${_dist}/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})
include(CPack)
