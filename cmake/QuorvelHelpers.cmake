# qvl_add_test(NAME target SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value ...])
# Builds one GoogleTest executable into the output folder and registers each of its tests with CTest,
# so that ctest -j runs them in parallel.
function(qvl_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set(env
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "QT_QPA_PLATFORM=offscreen"
    "QVL_OUTPUT_DIR=${QVL_OUTPUT_DIR}"
    "QVL_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    ${T_ENV})
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}" TIMEOUT 300)
endfunction()

# qvl_glob_sources(VAR dir): the .cpp files directly in a module folder (tests/ excluded).
function(qvl_glob_sources var dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
