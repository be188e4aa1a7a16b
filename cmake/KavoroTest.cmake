# kavoro_add_test(NAME LABEL label SOURCES ... LIBS ... [ENV VAR=VALUE...] [TIMEOUT s])
# One GoogleTest executable, registered with CTest under the given subsystem label. Each test
# gets a home of its own in the build tree, so no test reads or writes the user's settings.
function(kavoro_add_test name)
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  if(NOT T_LABEL)
    message(FATAL_ERROR "test ${name} needs a LABEL")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  add_test(NAME ${name} COMMAND ${name})
  set(home ${CMAKE_BINARY_DIR}/test-home/${name})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KAVORO_APP_DIR=${KAVORO_APP_DIR};HOME=${home};XDG_CONFIG_HOME=${home}/config;XDG_DATA_HOME=${home}/data;XDG_RUNTIME_DIR=${home}/run;${T_ENV}")
endfunction()
