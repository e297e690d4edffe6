# Included by install(CODE) at install time, when CMAKE_INSTALL_PREFIX is the
# prefix of this install (under CPack, the package's /usr). Files that name
# the programs by absolute path are configured here, not at build time, so
# that they point where the programs really land.
#
# In: VORELL_STAGE (a scratch folder), VORELL_BINDIR_REL, VORELL_SYSCONFDIR_REL.

if(IS_ABSOLUTE "${VORELL_BINDIR_REL}")
  set(VORELL_BINDIR "${VORELL_BINDIR_REL}")
else()
  set(VORELL_BINDIR "${CMAKE_INSTALL_PREFIX}/${VORELL_BINDIR_REL}")
endif()

# /usr keeps its configuration in /etc, as GNUInstallDirs has it.
if(IS_ABSOLUTE "${VORELL_SYSCONFDIR_REL}")
  set(VORELL_SYSCONFDIR "${VORELL_SYSCONFDIR_REL}")
elseif(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(VORELL_SYSCONFDIR "/etc")
else()
  set(VORELL_SYSCONFDIR "${CMAKE_INSTALL_PREFIX}/${VORELL_SYSCONFDIR_REL}")
endif()

# Configures template (a path ending in .in) and installs the result into
# destination, named without the .in. A macro, not a function: file(INSTALL)
# records what it installs in the caller's manifest list, which the uninstall
# target reads.
macro(vorell_install_configured template destination)
  get_filename_component(_vorell_name "${template}" NAME)
  string(REGEX REPLACE "\\.in$" "" _vorell_name "${_vorell_name}")
  configure_file("${template}" "${VORELL_STAGE}/${_vorell_name}" @ONLY)
  file(INSTALL DESTINATION "${destination}" TYPE FILE FILES "${VORELL_STAGE}/${_vorell_name}")
endmacro()
