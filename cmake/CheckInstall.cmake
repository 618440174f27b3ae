# Installs a build into a scratch prefix and checks what a user gets: the
# layout, readable manual pages, and an installed engine that starts from an
# empty folder and, when the build made a default book, plays its first move
# from that book.
#
#   cmake -DBUILD_DIR=build -DSOURCE_DIR=. -P cmake/CheckInstall.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT BUILD_DIR OR NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DBUILD_DIR=DIR -DSOURCE_DIR=DIR -P CheckInstall.cmake")
endif()
set(root ${BUILD_DIR}/install-check)
set(prefix ${root}/prefix)
set(work ${root}/work)
file(REMOVE_RECURSE ${root})
file(MAKE_DIRECTORY ${prefix} ${work})

set(failures 0)
macro(fail)
  message(SEND_ERROR ${ARGN})
  math(EXPR failures "${failures} + 1")
endmacro()

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}${err}")
endif()

# Programs and their pages come in pairs; the tools the build made must be there.
set(expected bin/morvane share/man/man6/morvane.6 share/doc/morvane/README.md)
foreach(tool morvane-tbgen morvane-book)
  if(EXISTS ${prefix}/bin/${tool} OR tool STREQUAL "morvane-tbgen")
    list(APPEND expected bin/${tool} share/man/man6/${tool}.6)
  endif()
endforeach()
set(book_built FALSE)
if(EXISTS ${BUILD_DIR}/Morvane.book)
  set(book_built TRUE)
  list(APPEND expected share/morvane/Morvane.book)
endif()
file(GLOB book_notes ${SOURCE_DIR}/data/books/LICENSE*)
foreach(note ${book_notes})
  get_filename_component(name ${note} NAME)
  list(APPEND expected share/doc/morvane/books/${name})
endforeach()
foreach(path ${expected})
  if(NOT EXISTS ${prefix}/${path})
    fail("not installed: ${path}")
  endif()
endforeach()
if(book_built)
  file(SIZE ${BUILD_DIR}/Morvane.book built_size)
  file(SIZE ${prefix}/share/morvane/Morvane.book installed_size)
  if(NOT built_size EQUAL installed_size)
    fail("installed book has ${installed_size} bytes, the built one ${built_size}")
  endif()
endif()

# Manual pages: they must format without a single warning.
find_program(GROFF groff)
if(GROFF)
  file(GLOB pages ${prefix}/share/man/man6/*.6)
  foreach(page ${pages})
    execute_process(COMMAND ${GROFF} -man -Tutf8 -ww -z ${page} RESULT_VARIABLE rc ERROR_VARIABLE err)
    if(NOT rc EQUAL 0 OR NOT err STREQUAL "")
      fail("${page} does not format cleanly:\n${err}")
    endif()
  endforeach()
endif()

# The installed engine, started from an empty folder, creates its settings
# there and finds its own book.
file(WRITE ${root}/commands.txt "xboard\nprotover 2\nnew\ngo\nquit\n")
if(NOT book_built)
  file(WRITE ${root}/commands.txt "xboard\nprotover 2\nnew\nquit\n")
endif()
execute_process(COMMAND ${prefix}/bin/morvane WORKING_DIRECTORY ${work} INPUT_FILE ${root}/commands.txt
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
if(NOT rc EQUAL 0)
  fail("installed engine ended with ${rc}:\n${out}${err}")
endif()
if(NOT out MATCHES "feature done=1")
  fail("installed engine did not finish its start-up:\n${out}")
endif()
if(NOT EXISTS ${work}/Morvane.ini)
  fail("installed engine did not create Morvane.ini in its working folder")
endif()
if(book_built)
  if(NOT out MATCHES "found [0-9]+ positions in opening book")
    fail("installed engine did not load its default book:\n${out}")
  endif()
  # The book lists its candidates ("e2e4<TAB> 41.2 %") before the move.
  if(NOT out MATCHES "\n[a-h][1-8][a-h][1-8][qrbn]?\t *[0-9.]+ %\n(.*\n)?move [a-h][1-8][a-h][1-8]")
    fail("installed engine did not play its first move from the book:\n${out}")
  endif()
endif()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} install check(s) failed")
endif()
file(REMOVE_RECURSE ${root})
message(STATUS "install layout checked under ${prefix}")
