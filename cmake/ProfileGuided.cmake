# Profile-guided optimisation of the libraries (GCC, Release builds).
#
# A second build of the same sources in <build>/training, instrumented, runs
# the fixed-depth bench (bench_signature at depth 8); the counts it leaves in
# <build>/profile then steer inlining, branch layout and code placement when
# the libraries of this build compile. Only the machine code changes: the
# search is the same, and bench_signature prints the same node count either
# way. Functions the bench never reaches compile as they would without a
# profile (-fprofile-partial-training).
#
# Both builds name their profile files after the object's path inside their
# own build tree (-fprofile-prefix-path), so the two trees find each other's,
# and both read the headers through the same include links (a header's path
# is part of what the profile checks).

option(MORVANE_PGO "Optimise the libraries with a training run of the bench (GCC, Release)" ON)
set(MORVANE_PGO_TRAINING OFF CACHE BOOL "Internal: this is the instrumented training build")
set(MORVANE_PGO_DIR "" CACHE PATH "Internal: where the training build leaves its profile")
mark_as_advanced(MORVANE_PGO_TRAINING MORVANE_PGO_DIR)

if(MORVANE_PGO_TRAINING)
  foreach(sub ${MORVANE_SUBSYSTEMS})
    target_compile_options(morvane_${sub} PRIVATE -fprofile-generate=${MORVANE_PGO_DIR}
                                                  -fprofile-prefix-path=${CMAKE_BINARY_DIR} -fprofile-update=single)
  endforeach()
  target_link_options(bench_signature PRIVATE -fprofile-generate)
  # A fresh profile per run: counts of an older source would not match.
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/profile.stamp
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${MORVANE_PGO_DIR}
    COMMAND sh -c "\"$<TARGET_FILE:bench_signature>\" 8 \"${CMAKE_SOURCE_DIR}/tests/data/wac.epd\" 30 > training.log"
    COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/profile.stamp
    DEPENDS bench_signature
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    COMMENT "Training run of the bench for the profile"
    VERBATIM)
  add_custom_target(morvane_profile DEPENDS ${CMAKE_BINARY_DIR}/profile.stamp)
  return()
endif()

if(NOT MORVANE_PGO)
  return()
endif()
if(NOT CMAKE_BUILD_TYPE STREQUAL "Release" OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR MORVANE_SANITIZE
   OR MORVANE_TSAN)
  message(STATUS "Profile-guided optimisation: off (only for Release builds with GCC, without sanitizers)")
  return()
endif()
message(STATUS "Profile-guided optimisation: on (training build in ${CMAKE_BINARY_DIR}/training)")

include(ExternalProject)
set(profile_dir ${CMAKE_BINARY_DIR}/profile)
if(CMAKE_GENERATOR MATCHES "Make")
  set(training_build $(MAKE) morvane_profile) # shares the parallel jobs of the outer make
else()
  set(training_build ${CMAKE_COMMAND} --build <BINARY_DIR> --target morvane_profile)
endif()
ExternalProject_Add(
  morvane_training
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/training
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
             -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
             "-DCMAKE_CXX_FLAGS=${CMAKE_CXX_FLAGS}"
             -DMORVANE_TESTS=OFF
             -DMORVANE_PGO=OFF
             -DMORVANE_PGO_TRAINING=ON
             -DMORVANE_PGO_DIR=${profile_dir}
             -DMORVANE_LAYERS_ROOT=${MORVANE_LAYERS_ROOT}
  BUILD_COMMAND ${training_build}
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  EXCLUDE_FROM_ALL OFF)

foreach(sub ${MORVANE_SUBSYSTEMS})
  add_dependencies(morvane_${sub} morvane_training)
  target_compile_options(morvane_${sub} PRIVATE -fprofile-use=${profile_dir} -fprofile-prefix-path=${CMAKE_BINARY_DIR}
                                                -fprofile-partial-training -Wno-missing-profile
                                                -Wno-error=coverage-mismatch)
endforeach()
