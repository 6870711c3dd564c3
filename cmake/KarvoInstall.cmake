# Install rules of the program folder and the tools, and the Debian package built from them.

install(TARGETS karvo RUNTIME DESTINATION ${KARVO_INSTALL_PROGRAMDIR})
# The driver libraries for the real mouse (not the emulated one) and the library they share.
set_target_properties(hiddriver_cable hiddriver_receiver PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS karvo_hid hiddriver_cable hiddriver_receiver LIBRARY DESTINATION ${KARVO_INSTALL_PROGRAMDIR})
# The input-hook library (installed as a target, so that the package strips it like the rest).
install(TARGETS karvo_hook_bin LIBRARY DESTINATION ${KARVO_INSTALL_PROGRAMDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/ DESTINATION ${KARVO_INSTALL_PROGRAMDIR}/res)
install(TARGETS karvoctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/karvo-gaming-mouse)

set(CPACK_PACKAGE_NAME "karvo-gaming-mouse")
set(CPACK_PACKAGE_VENDOR "Karvo")
set(CPACK_PACKAGE_CONTACT "Karvo Gaming Mouse developers <maintainers@karvo.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Configuration utility for the Karvo wireless gaming mouse")
# The extended description under the summary: one string (a list would show its ";"
# separators), lines under 80 characters.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Profiles, DPI stages, lighting, buttons and macros of the Karvo wireless
gaming mouse over its cable, its receiver or Bluetooth LE. The utility lives
in the tray, offers a session D-Bus service and comes with karvoctl for
scripts.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# Library dependencies come from dpkg-shlibdeps where it is installed (package dpkg-dev); the
# rest are named: the Qt plugin for loading skins at run time, the session bus, udev for the rule.
find_program(KARVO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KARVO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CPACK_PACKAGING_INSTALL_PREFIX}/${KARVO_INSTALL_PROGRAMDIR}")
  # dpkg-shlibdeps names every library the binaries link; only what is loaded at run time is
  # added here.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6core6, libqt6gui6, libqt6widgets6, libqt6network6, libqt6dbus6, libqt6uitools6, qt6-qpa-plugins, libhidapi-hidraw0, libudev1")
endif()
# Our own maintainer scripts: without them CPack would add ldconfig calls for the private libraries
# of the program folder.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${PROJECT_SOURCE_DIR}/cmake/deb/postinst;${PROJECT_SOURCE_DIR}/cmake/deb/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "udev, dbus-user-session | dbus-x11")
include(CPack)
