# "morvane bench" against the node count kept in bench/expected-nodes.txt:
# run twice from an empty folder, it must print the same "N nodes" both
# times, that count must be the expected one, and the folder must stay
# empty (the command neither needs nor writes Morvane.ini).
#
#   cmake -DENGINE=build/morvane -DEXPECTED=bench/expected-nodes.txt -DWORK=DIR -P cmake/CheckBench.cmake
cmake_minimum_required(VERSION 3.20)

if(NOT ENGINE OR NOT EXPECTED OR NOT WORK)
  message(FATAL_ERROR "usage: cmake -DENGINE=BIN -DEXPECTED=FILE -DWORK=DIR -P CheckBench.cmake")
endif()
get_filename_component(ENGINE ${ENGINE} ABSOLUTE)
file(STRINGS ${EXPECTED} expected REGEX "^[0-9]+$" LIMIT_COUNT 1)
if(NOT expected)
  message(FATAL_ERROR "${EXPECTED} holds no node count")
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

set(counts "")
foreach(run 1 2)
  execute_process(COMMAND ${ENGINE} bench WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err TIMEOUT 600)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "morvane bench ended with ${rc}:\n${out}${err}")
  endif()
  # The last two lines (the hash table's size line comes first).
  if(NOT out MATCHES "(^|\n)([0-9]+) nodes\n[0-9]+ nps\n$")
    message(FATAL_ERROR "morvane bench did not end with \"N nodes\" and \"N nps\":\n${out}${err}")
  endif()
  list(APPEND counts ${CMAKE_MATCH_2})
endforeach()
list(GET counts 0 first)
list(GET counts 1 second)
if(NOT first EQUAL second)
  message(FATAL_ERROR "morvane bench counted ${first} nodes, then ${second}: the search is not deterministic")
endif()
if(NOT first EQUAL expected)
  message(FATAL_ERROR "morvane bench counts ${first} nodes, ${EXPECTED} says ${expected}. "
                      "A change that alters play updates that file in the same commit.")
endif()
file(GLOB left ${WORK}/*)
if(left)
  message(FATAL_ERROR "morvane bench left files in its working folder: ${left}")
endif()
file(REMOVE_RECURSE ${WORK})
message(STATUS "morvane bench: ${first} nodes, as expected")
