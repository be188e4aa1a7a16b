# kavoro_add_test(NAME LABEL label SOURCES ... LIBS ... [ENV VAR=VALUE...] [TIMEOUT s] [CASES]
#                 [PLAYBACK])
# One GoogleTest executable, registered with CTest under the given subsystem label. Each test
# gets a home of its own in the build tree, so no test reads or writes the user's settings.
#
# A program is one CTest entry, so a case that skips itself (GTEST_SKIP: no sound card, no
# unprivileged user, ...) cannot read as passed: such output fails the entry. Programs whose
# cases may skip on some machines say CASES: each case becomes an entry of its own (read from
# its sources), shown as skipped when it skips. The cases of one program
# never run side by side, as they share the program's home.
#
# PLAYBACK: the program plays media in real time and checks what arrives when. Two such
# programs never run side by side: on a machine of two cores they starve each other's
# streaming threads, and a reader that runs seconds ahead of the picture (or behind it) makes
# their timing checks fail for no fault of the code.
include(GoogleTest)
set(KAVORO_GTEST_SKIPPED "\\[  SKIPPED \\]")
function(kavoro_add_test name)
  cmake_parse_arguments(T "CASES;PLAYBACK" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "test ${name} needs a LABEL")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  set(env QT_QPA_PLATFORM=offscreen KAVORO_APP_DIR=${KAVORO_APP_DIR} HOME=${home}
    XDG_CONFIG_HOME=${home}/config XDG_DATA_HOME=${home}/data XDG_RUNTIME_DIR=${home}/run ${T_ENV})
  if(T_CASES)
    # Cases read from the sources (TEST / TEST_F), so the properties below apply to each.
    gtest_add_tests(TARGET ${name} SOURCES ${T_SOURCES} TEST_PREFIX "${name}." TEST_LIST cases)
    set_tests_properties(${cases} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      RESOURCE_LOCK ${name} ENVIRONMENT "${env}" SKIP_REGULAR_EXPRESSION "${KAVORO_GTEST_SKIPPED}")
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "${env}" FAIL_REGULAR_EXPRESSION "${KAVORO_GTEST_SKIPPED}")
    if(T_PLAYBACK)
      set_tests_properties(${name} PROPERTIES RESOURCE_LOCK kavoro_realtime_playback)
    endif()
  endif()
endfunction()

# kavoro_xcb_sanitizer_env(TEST): for a test that starts Qt's X11 platform. Under the address
# sanitizer the X keyboard library's keymap reader hands strndup a name without its
# terminator, which the strict string check reports inside that system library; such tests run
# with the check off and everything else as CI sets it.
function(kavoro_xcb_sanitizer_env test)
  if(KAVORO_SANITIZE)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
      "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=0")
  endif()
endfunction()
