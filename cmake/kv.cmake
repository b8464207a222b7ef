# kv_library(<subsystem> SOURCES ... LINKS ...): one static library per subsystem,
# named kv_<subsystem>; its headers are included as "<subsystem>/<header>.h".
function(kv_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS" ${ARGN})
  add_library(kv_${name} STATIC ${A_SOURCES})
  target_include_directories(kv_${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(kv_${name} PUBLIC ${A_LINKS})
  # Until the layers point one way, the linker must walk their circles more than twice.
  set_property(TARGET kv_${name} PROPERTY LINK_INTERFACE_MULTIPLICITY 4)
endfunction()

# Tests are Windows programs: ctest runs them under Wine in a prefix of the build
# folder, never the user's own, after one fixture has initialised that prefix.
set(KV_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-run;${KV_WINEPREFIX})

# kv_test(<name> SOURCES ... LINKS ... [ENV var=value ...] [ARGS ...]):
# a doctest executable test_<name> registered as one ctest test.
function(kv_test name)
  cmake_parse_arguments(A "" "" "SOURCES;LINKS;ENV;ARGS;DEPENDS" ${ARGN})
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
  set_tests_properties(${testname} PROPERTIES
    FIXTURES_REQUIRED wineprefix
    ENVIRONMENT "KV_TEST_SOURCE=${PROJECT_SOURCE_DIR};KV_TEST_BINARY=${CMAKE_BINARY_DIR};${A_ENV}"
    TIMEOUT 600)
endfunction()
