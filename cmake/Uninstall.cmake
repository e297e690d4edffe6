# The uninstall target: removes every file that the last install recorded in
# install_manifest.txt (under the same DESTDIR), then the folders of the
# suite's own (named vorelltouchpad...) that this leaves empty. Shared
# folders (bin, man1, ...) stay.
# In: MANIFEST.
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "No ${MANIFEST}: nothing has been installed from this build")
endif()
file(STRINGS "${MANIFEST}" files)
set(destdir "$ENV{DESTDIR}")
set(own_dirs)
foreach(file ${files})
  set(path "${destdir}${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing ${path}")
    file(REMOVE "${path}")
  endif()
  get_filename_component(dir "${path}" DIRECTORY)
  while(dir MATCHES "/vorelltouchpad[^/]*(/|$)")
    list(APPEND own_dirs "${dir}")
    get_filename_component(dir "${dir}" DIRECTORY)
  endwhile()
endforeach()

# Deepest first, so that a parent is empty when its turn comes.
list(REMOVE_DUPLICATES own_dirs)
list(SORT own_dirs)
list(REVERSE own_dirs)
foreach(dir ${own_dirs})
  file(GLOB left "${dir}/*")
  if(IS_DIRECTORY "${dir}" AND NOT left)
    file(REMOVE_RECURSE "${dir}")
  endif()
endforeach()
