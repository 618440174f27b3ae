# Keeps the manual pages in step with the programs: every command word of the
# engine's command tables and every key of Morvane.ini must appear in
# morvane.6, and every option in a tool's usage line in that tool's page.
#
#   cmake -DSOURCE_DIR=. -P cmake/CheckManPages.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT SOURCE_DIR)
  message(FATAL_ERROR "usage: cmake -DSOURCE_DIR=DIR -P CheckManPages.cmake")
endif()

# The words of a page, with font changes, quotes and commas taken out and
# escaped dashes made plain.
function(page_words page out)
  file(READ ${page} text)
  string(REGEX REPLACE "\\\\f[BIRP]" " " text "${text}")
  string(REPLACE "\\-" "-" text "${text}")
  string(REGEX REPLACE "[\",;]" " " text "${text}")
  string(REGEX REPLACE "[ \t\n]+" ";" words "${text}")
  set(${out} "${words}" PARENT_SCOPE)
endfunction()

set(failures 0)
macro(require words word page)
  list(FIND ${words} "${word}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${page} does not mention \"${word}\"")
    math(EXPR failures "${failures} + 1")
  endif()
endmacro()

# Every word of the list `found` in morvane.6; fewer than `least` found means
# the sources changed form and the reading above no longer sees them.
macro(require_in_engine_page found least what)
  list(LENGTH ${found} count)
  if(count LESS ${least})
    message(FATAL_ERROR "found only ${count} ${what}; has the source changed form?")
  endif()
  foreach(word ${${found}})
    require(engine_words "${word}" morvane.6)
  endforeach()
endmacro()

page_words(${SOURCE_DIR}/docs/man/morvane.6 engine_words)

# Command tables: entries of the form {"word", Handler}.
file(GLOB shell_sources ${SOURCE_DIR}/src/shell/*.cpp)
set(commands)
foreach(source ${shell_sources})
  file(STRINGS ${source} entries REGEX "{\"[^\"]+\", *Cmd")
  foreach(entry ${entries})
    string(REGEX MATCH "{\"([^\"]+)\"" ignored "${entry}")
    list(APPEND commands "${CMAKE_MATCH_1}")
  endforeach()
endforeach()
require_in_engine_page(commands 20 "command words in src/shell")

# Configuration keys: the lines of the default file, and the optional keys
# compared as word == "Key".
file(STRINGS ${SOURCE_DIR}/src/shell/Config.cpp key_lines REGEX "word == \"[A-Z][A-Za-z]+\"")
set(keys)
foreach(line ${key_lines})
  string(REGEX MATCHALL "word == \"[A-Z][A-Za-z]+\"" matches "${line}")
  foreach(match ${matches})
    string(REGEX REPLACE "word == \"([A-Za-z]+)\"" "\\1" key "${match}")
    if(NOT key MATCHES "^(TRUE|FALSE)$")
      list(APPEND keys ${key})
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES keys)
require_in_engine_page(keys 6 "configuration keys in src/shell/Config.cpp")

# Tools: the options of the usage line ("usage: TOOL [-o DIR] ...").
foreach(tool morvane-tbgen morvane-book)
  if(EXISTS ${SOURCE_DIR}/tools/${tool}.cpp)
    if(NOT EXISTS ${SOURCE_DIR}/docs/man/${tool}.6)
      message(SEND_ERROR "${tool} has no manual page")
      math(EXPR failures "${failures} + 1")
      continue()
    endif()
    file(READ ${SOURCE_DIR}/tools/${tool}.cpp tool_source)
    string(REGEX MATCH "usage: ${tool}[^\n\"\\\\]*" usage "${tool_source}")
    if(NOT usage)
      message(SEND_ERROR "no usage line found in tools/${tool}.cpp")
      math(EXPR failures "${failures} + 1")
      continue()
    endif()
    page_words(${SOURCE_DIR}/docs/man/${tool}.6 tool_words)
    # Brackets group list elements in CMake: blank them out first.
    string(REGEX REPLACE "[][]" " " usage "${usage}")
    string(REGEX MATCHALL " -[A-Za-z]" options "${usage}")
    foreach(option ${options})
      string(STRIP "${option}" option)
      require(tool_words "${option}" ${tool}.6)
    endforeach()
  endif()
endforeach()

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} manual page check(s) failed")
endif()
message(STATUS "manual pages mention ${count} keys and every command and option")
