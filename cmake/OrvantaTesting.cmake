find_package(GTest REQUIRED)

# orvanta_add_test(NAME SOURCES... [WIDGETS] [PDF_FIXTURES] [LIBRARIES libs...]): one test
# program, run by CTest under the offscreen platform with its own temporary home so no test sees
# the user's settings. WIDGETS tests run in a widget application with the window library;
# PDF_FIXTURES tests run after the fixtures are made. Shared helpers live in tests/support.
# The tests' main(), compiled once for all test programs: with a core application, and with a
# widget application for window tests.
function(orvanta_add_test_main name)
  add_library(${name} OBJECT ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
  target_link_libraries(${name} PRIVATE Qt6::Widgets GTest::gtest)
  target_compile_definitions(${name} PRIVATE ${ARGN})
endfunction()
orvanta_add_test_main(orvanta_test_main)
orvanta_add_test_main(orvanta_widget_test_main ORVANTA_WIDGET_TESTS)

# What every test program is compiled with. Every test program links the same Qt modules so that
# all of them can share one precompiled header of the libraries' headers, and the tests' own code
# is compiled without optimisation (it compiles in half the time, most of all under the
# sanitizers); the code under test keeps the build's flags.
add_library(orvanta_test_flags INTERFACE)
target_link_libraries(orvanta_test_flags INTERFACE Qt6::Widgets Qt6::Svg Qt6::Test GTest::gtest)
target_compile_definitions(orvanta_test_flags INTERFACE
  ORVANTA_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
  ORVANTA_TEST_SOURCE="${PROJECT_SOURCE_DIR}/tests"
  ORVANTA_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
  ORVANTA_FIXTURE_DIR="${CMAKE_BINARY_DIR}/fixtures")
target_include_directories(orvanta_test_flags INTERFACE ${PROJECT_SOURCE_DIR}/tests/support
                           ${PROJECT_SOURCE_DIR}/tests)
add_executable(orvanta_test_precompiled ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
target_link_libraries(orvanta_test_precompiled PRIVATE orvanta_test_flags)
target_compile_options(orvanta_test_precompiled PRIVATE -O0)
target_precompile_headers(orvanta_test_precompiled PRIVATE
                          ${PROJECT_SOURCE_DIR}/tests/support/TestPrecompiled.h)
set_target_properties(orvanta_test_precompiled PROPERTIES EXCLUDE_FROM_ALL ON AUTOMOC OFF)

# OPTIMISED tests, whose own code does much work (reference counts over generated text), keep
# the build's optimisation and so compile without the shared header.
function(orvanta_add_test name)
  cmake_parse_arguments(ARG "WIDGETS;PDF_FIXTURES;OPTIMISED" "" "LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE orvanta_test_flags orvanta_core ${ARG_LIBRARIES})
  if(NOT ARG_OPTIMISED)
    target_compile_options(${name} PRIVATE -O0)
    target_precompile_headers(${name} REUSE_FROM orvanta_test_precompiled)
  endif()
  # No test declares a Qt object of its own.
  set_target_properties(${name} PROPERTIES AUTOMOC OFF)
  if(ARG_WIDGETS)
    target_link_libraries(${name} PRIVATE orvanta_app Qt6::Test)
    target_compile_definitions(${name} PRIVATE ORVANTA_WIDGET_TESTS)
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:orvanta_widget_test_main>)
  else()
    target_sources(${name} PRIVATE $<TARGET_OBJECTS:orvanta_test_main>)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  add_dependencies(${name} orvanta-convert)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HOME=${CMAKE_BINARY_DIR}/test-home;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-home/.config;XDG_RUNTIME_DIR=;ORVANTA_CONVERT_WORKER=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/orvanta-convert"
    TIMEOUT 300)
  if(ARG_PDF_FIXTURES)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED pdf_fixtures)
  endif()
endfunction()
