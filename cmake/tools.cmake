# Helpers shared by the tool folders and the tests.

# tools_windows_program(<target> <output-name> sources...)
# A 32-bit Windows GUI program, statically linked and stripped, landing in dist/.
function(tools_windows_program target output)
  add_executable(${target} WIN32 ${ARGN})
  target_link_options(${target} PRIVATE -s)
  set_target_properties(${target} PROPERTIES OUTPUT_NAME ${output}
                                             RUNTIME_OUTPUT_DIRECTORY ${TOOLS_DIST_DIR})
endfunction()

# tools_unit_test(<target> sources... LIBS libs... [LOCKS names...])
# A GoogleTest program, one ctest entry per test case. Native tests run on the
# host; Windows tests run through Wine (the cross-compiling emulator). LOCKS
# names resources (a registry key, say) that tests of other programs share.
function(tools_unit_test target)
  cmake_parse_arguments(T "" "" "LIBS;LABELS;LOCKS" ${ARGN})
  add_executable(${target} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${T_LIBS} GTest::gtest_main)
  set(labels ${T_LABELS})
  if(NOT labels)
    if(WIN32)
      set(labels win32)
    else()
      set(labels native)
    endif()
  endif()
  set(locks)
  if(T_LOCKS)
    set(locks RESOURCE_LOCK "${T_LOCKS}")
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS "${labels}" TIMEOUT 120 ${locks})
endfunction()

# tools_e2e_test(<target> sources... LIBS libs... PROGRAMS targets... [SERIAL])
# An end-to-end driver (a Windows GoogleTest program) that starts the given
# tool programs. Runs one at a time: the tools share the prefix's registry,
# mutexes and desktop. SERIAL: nothing else runs beside its tests, which
# measure how long a program takes to answer.
function(tools_e2e_test target)
  cmake_parse_arguments(T "SERIAL" "" "LIBS;PROGRAMS" ${ARGN})
  add_executable(${target} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${T_LIBS} e2e_driver GTest::gtest_main)
  foreach(p ${T_PROGRAMS})
    string(TOUPPER ${p} up)
    target_compile_definitions(${target} PRIVATE "${up}_EXE=\"$<TARGET_FILE:${p}>\"")
    add_dependencies(${target} ${p})
  endforeach()
  # The build's folder and the scripts' source, for a test that makes a Wine
  # prefix of its own: another log-on.
  target_compile_definitions(${target} PRIVATE
                             "E2E_WORK_ROOT=\"${CMAKE_BINARY_DIR}/e2e-work/${target}\""
                             "E2E_BUILD_DIR=\"${CMAKE_BINARY_DIR}\""
                             "E2E_SOURCE_DIR=\"${CMAKE_SOURCE_DIR}\"")
  set(serial)
  if(T_SERIAL)
    set(serial RUN_SERIAL TRUE)
  endif()
  gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS e2e RESOURCE_LOCK wine_desktop TIMEOUT 180 ${serial})
endfunction()

# tools_fuzz_target(<target> sources... LIBS libs...)
# A libFuzzer target (fuzz build only); scripts/fuzz.sh runs each for a bounded time.
function(tools_fuzz_target target)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${target} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${T_LIBS})
  target_link_options(${target} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()
