# Install-time part of YovInstall.cmake: the `yov` command and the screen-saver daemon's
# hack, both links to the installed program. Relative links, so a staged tree (DESTDIR, the
# package's) points into itself and the installed one into itself.

set(_yov_program "${CMAKE_INSTALL_PREFIX}/${YOV_INSTALL_HOME}/yov")
# Debian's daemon runs its hacks from /usr/libexec/xscreensaver; older ones from /usr/lib.
set(_yov_hacks /usr/libexec/xscreensaver)
if(NOT IS_DIRECTORY "$ENV{DESTDIR}/usr/libexec/xscreensaver" AND IS_DIRECTORY "$ENV{DESTDIR}/usr/lib/xscreensaver")
  set(_yov_hacks /usr/lib/xscreensaver)
endif()

foreach(_yov_link "${CMAKE_INSTALL_PREFIX}/bin/yov" "${_yov_hacks}/yov")
  get_filename_component(_yov_dir "${_yov_link}" DIRECTORY)
  file(RELATIVE_PATH _yov_target "${_yov_dir}" "${_yov_program}")
  message(STATUS "Installing: $ENV{DESTDIR}${_yov_link} -> ${_yov_target}")
  file(MAKE_DIRECTORY "$ENV{DESTDIR}${_yov_dir}")
  file(REMOVE "$ENV{DESTDIR}${_yov_link}")
  file(CREATE_LINK "${_yov_target}" "$ENV{DESTDIR}${_yov_link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${_yov_link}")
endforeach()
