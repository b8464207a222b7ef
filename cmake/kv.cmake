# The libraries from the bottom up: each may link only those before it, so no
# dependency runs in a circle. dsx and the probe record sit below the host model
# because a plugin entry holds compiled detect strings and its probe result.
set(KV_LAYERS foundation dsx probe_record hostcfg probe analyses editing install views shell)

# Fails the configuration when a kv_ library in links lies above the given layer
# (with SELF: above or at it), so an upward edge is refused before the linker runs.
function(kv_check_links what layer links)
  cmake_parse_arguments(A "SELF" "" "" ${ARGN})
  list(FIND KV_LAYERS ${layer} own)
  if(A_SELF)
    math(EXPR own "${own} + 1")
  endif()
  foreach(lib ${links})
    if(lib MATCHES "^kv_(.+)$" AND NOT lib STREQUAL "kv_testmain")
      list(FIND KV_LAYERS ${CMAKE_MATCH_1} other)
      if(other LESS 0 OR other GREATER_EQUAL own)
        message(FATAL_ERROR "${what} may not link ${lib}: it lies above the layer ${layer}")
      endif()
    endif()
  endforeach()
endfunction()

# kv_library(<subsystem> SOURCES ... LINKS ...): one static library per layer,
# named kv_<layer>; its headers are included as "<subsystem folder>/<header>.h".
function(kv_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
  kv_check_links(kv_${name} ${name} "${A_LINKS}")
  add_library(kv_${name} STATIC ${A_SOURCES})
  target_include_directories(kv_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kv_${name} PUBLIC ${A_LINKS})
endfunction()
# Tests are Windows programs: ctest runs them under Wine in a prefix of the build
# folder, never the user's own, after one fixture has initialised that prefix.
set(KV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run;${KV_WINEPREFIX})

# kv_test(<name> SOURCES ... LINKS ... [ENV var=value ...] [ARGS ...]):
# a doctest executable test_<name> registered as one ctest test. A layer's tests
# link only that layer and those below it.
function(kv_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS;ENV;ARGS;DEPENDS" ${ARGN})
  if(name IN_LIST KV_LAYERS)
    kv_check_links(test_${name} ${name} "${A_LINKS}" SELF)
  endif()
  if(NOT TARGET test_${name})
    add_executable(test_${name} ${A_SOURCES})
    target_link_libraries(test_${name} PRIVATE kv_testmain ${A_LINKS})
    if(A_DEPENDS)
      add_dependencies(test_${name} ${A_DEPENDS})
    endif()
  endif()
  kv_add_test_run(${name} test_${name} ENV ${A_ENV} ARGS ${A_ARGS})
endfunction()

# kv_add_test_run(<test name> <target> [ENV ...] [ARGS ...]): one more ctest entry
# for an existing test executable, for scenarios that need a fresh process.
function(kv_add_test_run testname target)
  cmake_parse_arguments(A "" "" "ENV;ARGS" ${ARGN})
  add_test(NAME ${testname} COMMAND ${target} ${A_ARGS}
           WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  # Wine ends a program whose stack overflowed with exit code 0 and no word of it:
  # a run passes only when doctest reports it whole.
  set_tests_properties(${testname} PROPERTIES
    FIXTURES_REQUIRED wineprefix
    ENVIRONMENT "KV_TEST_SOURCE=${PROJECT_SOURCE_DIR};KV_TEST_BINARY=${CMAKE_BINARY_DIR};${A_ENV}"
    PASS_REGULAR_EXPRESSION "\\[doctest\\] Status: SUCCESS!"
    TIMEOUT 600)
  # The programs of one folder share their data folder (the program's INI beside
  # them), so runs from the same folder never overlap.
  file(RELATIVE_PATH folder ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR})
  set_property(TEST ${testname} APPEND PROPERTY RESOURCE_LOCK kv_folder_${folder})
endfunction()
