# The fuzz configuration (-DKAVORO_FUZZ=ON, clang). Its libraries are compiled with
# -fsanitize=fuzzer-no-link for coverage, so only programs linked with -fsanitize=fuzzer (the
# fuzz targets) link against them. The build of that configuration therefore makes the fuzz
# targets and what they depend on (their libraries, seed corpora, generated skins) and nothing
# else; CTest there runs the fuzz targets' short runs only.
#
# Naming: a fuzz target's executable ends in "_fuzz", its short run is the test "<target>_smoke".

# Every target and test defined in dir and the directories below it.
function(kavoro_collect_in_tree dir targets_var tests_var)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(tests DIRECTORY ${dir} PROPERTY TESTS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    kavoro_collect_in_tree(${sub} sub_targets sub_tests)
    list(APPEND targets ${sub_targets})
    list(APPEND tests ${sub_tests})
  endforeach()
  set(${targets_var} ${targets} PARENT_SCOPE)
  set(${tests_var} ${tests} PARENT_SCOPE)
endfunction()

# Leaves every target but the fuzz targets out of "all" (a fuzz target's dependencies are still
# built for it) and disables every test but their short runs. Called once, at the end of the top
# CMakeLists.txt.
function(kavoro_fuzz_build_only_fuzz_targets)
  kavoro_collect_in_tree(${CMAKE_SOURCE_DIR} targets tests)
  foreach(target ${targets})
    if(NOT target MATCHES "_fuzz$")
      set_property(TARGET ${target} PROPERTY EXCLUDE_FROM_ALL TRUE)
    endif()
  endforeach()
  # CTest skips what CTestCustom.cmake lists (a test's properties can only be set in the
  # directory that added it).
  set(ignored)
  foreach(test ${tests})
    if(NOT test MATCHES "_fuzz_smoke$")
      list(APPEND ignored ${test})
    endif()
  endforeach()
  list(JOIN ignored "\n  " ignored_lines)
  file(WRITE ${CMAKE_BINARY_DIR}/CTestCustom.cmake
    "# Written by the fuzz configuration: only the fuzz targets' short runs are built.\n"
    "set(CTEST_CUSTOM_TESTS_IGNORE\n  ${ignored_lines})\n")
endfunction()

# kavoro_add_fuzz_target(NAME SOURCE...): a libFuzzer program (its own main, linked with the
# fuzzer runtime) beside the test programs in BUILD/tests.
function(kavoro_add_fuzz_target name)
  add_executable(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()
