# qvl_add_test(NAME target SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value])
# Builds one GoogleTest executable into the output folder and registers each of its tests with CTest,
# so that ctest -j runs them in parallel. Sanitizer options and the offscreen Qt platform come from
# cmake/test_main.cpp.
function(qvl_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/test_main.cpp)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${T_NAME} PRIVATE
    QVL_TEST_OUTPUT_DIR="${QVL_OUTPUT_DIR}" QVL_TEST_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  set(properties TIMEOUT 300)
  if(T_ENV)
    # A list-valued property does not survive test discovery whole: one variable per test program at most.
    list(LENGTH T_ENV count)
    if(count GREATER 1)
      message(FATAL_ERROR "qvl_add_test(${T_NAME}): ENV takes one VAR=value")
    endif()
    list(APPEND properties ENVIRONMENT ${T_ENV})
  endif()
  gtest_discover_tests(${T_NAME}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${properties})
endfunction()

# qvl_glob_sources(VAR dir): the .cpp files directly in a module folder (tests/ excluded).
function(qvl_glob_sources var dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(${var} ${sources} PARENT_SCOPE)
endfunction()
