# One static library per folder of src/, built from MORVANE_LAYERS
# ("folder:allowed,folders" bottom up). A library links the libraries it may
# use, and its include path holds only those folders: each library exposes a
# directory in the build tree that contains a single link, <folder> -> src/<folder>,
# and include directories travel along the (public) links. So
# `#include "shell/..."` inside src/search finds nothing and the build stops.

# The training build of the profile-guided optimisation shares the outer
# build's directory, so that headers have the same path in both builds.
set(MORVANE_LAYERS_ROOT ${CMAKE_BINARY_DIR}/layers CACHE PATH "Where the per-library include links live")
mark_as_advanced(MORVANE_LAYERS_ROOT)
set(MORVANE_SUBSYSTEMS)
foreach(entry ${MORVANE_LAYERS})
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 sub)
  list(APPEND MORVANE_SUBSYSTEMS ${sub})

  set(root ${MORVANE_LAYERS_ROOT}/${sub})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${sub})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/src/${sub} ${root}/${sub} SYMBOLIC)
  endif()

  file(GLOB sub_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${sub}/*.cpp)
  if(MORVANE_INTERFACE_SOURCES)
    list(REMOVE_ITEM sub_sources ${MORVANE_INTERFACE_SOURCES})
  endif()
  add_library(morvane_${sub} STATIC ${sub_sources})
  target_include_directories(morvane_${sub} PUBLIC ${root})

  list(LENGTH parts count)
  if(count GREATER 1)
    list(GET parts 1 allowed)
    string(REPLACE "," ";" allowed "${allowed}")
    foreach(dep ${allowed})
      target_link_libraries(morvane_${sub} PUBLIC morvane_${dep})
    endforeach()
  endif()
endforeach()

# The same rule read straight from the sources, so that a wrong include is
# named even before anything compiles.
set(MORVANE_SOURCE_DIR ${CMAKE_SOURCE_DIR})
include(${CMAKE_CURRENT_LIST_DIR}/CheckLayers.cmake)
