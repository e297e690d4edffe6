# Debian package of the suite (cpack -G DEB in the build folder) and the
# uninstall target.
#
# The package holds the programs, units, autostart entry, the settings
# window with its menu entry and icon, manual pages, completion, udev rule
# and cursor images; the developer tools (tpsim, xrecord) stay out.

# Debian wants the licence as copyright and a compressed changelog in the
# package's doc folder.
install(FILES ${CMAKE_SOURCE_DIR}/dist/debian/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The changelog's top entry carries the project's version.
set(changelog ${CMAKE_BINARY_DIR}/dist/changelog)
configure_file(${CMAKE_SOURCE_DIR}/dist/debian/changelog.in ${changelog} @ONLY)
set(changelog_gz ${CMAKE_BINARY_DIR}/dist/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND gzip -9nc ${changelog} > ${changelog_gz}
  DEPENDS ${changelog} VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS ${changelog_gz})
install(FILES ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorelltouchpad)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "the Vorell touchpad developers <vorell-touchpad@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "touchpad gestures for X11 desktops")
# CPack puts the summary first and indents this body under it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The Vorell touchpad suite turns touchpad contacts into desktop actions:
two-finger scrolling, pinch zoom and rotation, two- and three-finger taps,
page swipes, window switching, tap-and-drag with drag lock and auto-scroll.
It switches the touchpad off while you type, restores your settings at
login, and starts and stops with the graphical session through systemd
user units or an autostart entry. A settings window shows every setting
by name and draws your fingers on the pad as they move.")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries from dpkg-shlibdeps; the X tools the engine runs by command; and
# the C library that reads the engine's packed relocations (2.36), which
# dpkg-shlibdeps does not see, as it looks at symbols only.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xautomation, x11-xserver-utils, libc6 (>= 2.36)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/dist/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Installed into a staging root with DESTDIR, so that the install-time
# configuration sees the package's prefix and the cursor images their fixed
# /usr/share path.
set(CPACK_SET_DESTDIR ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL suite cursor_images)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS OFF)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/package)
include(CPack)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
  COMMENT "Removing the installed files")
