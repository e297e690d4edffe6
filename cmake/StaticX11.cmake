# link_x11_statically(TARGET): links TARGET's X client libraries (Xtst, Xi,
# Xext, X11, xcb, Xau, Xdmcp) from the static archives the -dev packages
# ship. Every static library of the project that the target links, however
# indirectly, is named again right before the archives, so that each X call
# is resolved from them; the shared X libraries that those libraries name
# later on the link line are then not needed and, with --as-needed, not
# recorded. A check after the link fails the build if any still is: one
# program with two copies of Xlib would misbehave.
set(_vorell_x11_archives Xtst Xi Xext X11 xcb Xau Xdmcp)

# The project's static libraries that ITEM links, itself included, in
# link order.
function(_vorell_static_closure item out)
  set(found ${${out}})
  string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
  if(NOT TARGET ${item} OR ${item} IN_LIST found)
    return()
  endif()
  get_target_property(type ${item} TYPE)
  if(type STREQUAL "STATIC_LIBRARY")
    get_target_property(imported ${item} IMPORTED)
    if(imported)
      return()
    endif()
    list(APPEND found ${item})
  endif()
  get_target_property(deps ${item} INTERFACE_LINK_LIBRARIES)
  if(deps)
    foreach(dep ${deps})
      _vorell_static_closure(${dep} found)
    endforeach()
  endif()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(link_x11_statically target)
  set(archives)
  foreach(name ${_vorell_x11_archives})
    find_library(VORELL_STATIC_${name} NAMES lib${name}.a)
    if(NOT VORELL_STATIC_${name})
      message(FATAL_ERROR "lib${name}.a not found (the X -dev packages ship it)")
    endif()
    list(APPEND archives ${VORELL_STATIC_${name}})
  endforeach()
  get_target_property(direct ${target} LINK_LIBRARIES)
  set(closure)
  foreach(item ${direct})
    _vorell_static_closure(${item} closure)
  endforeach()
  target_link_libraries(${target} PRIVATE ${closure} ${archives})
  target_link_options(${target} PRIVATE LINKER:--as-needed)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND sh -c "! readelf -d \"$1\" | grep -E 'NEEDED.*lib(X|xcb)'" sh $<TARGET_FILE:${target}>
    COMMENT "Checking that ${target} needs no X shared library" VERBATIM)
endfunction()
