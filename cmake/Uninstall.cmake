# The uninstall target: removes every file that the last install recorded in
# install_manifest.txt (under the same DESTDIR), then the folders that only
# this suite uses, once they are empty.
# In: MANIFEST, PREFIX.
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "No ${MANIFEST}: nothing has been installed from this build")
endif()
file(STRINGS "${MANIFEST}" files)
set(destdir "$ENV{DESTDIR}")
foreach(file ${files})
  set(path "${destdir}${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
endforeach()

# Folders of the suite's own; shared ones (bin, man1, ...) stay.
foreach(dir
    "${PREFIX}/share/doc/vorelltouchpad"
    "/usr/share/vorelltouchpad_data/cursor_image"
    "/usr/share/vorelltouchpad_data")
  set(path "${destdir}${dir}")
  if(IS_DIRECTORY "${path}")
    file(GLOB left "${path}/*")
    if(NOT left)
      file(REMOVE_RECURSE "${path}")
    endif()
  endif()
endforeach()
