# qvl_add_test(NAME target SOURCES a.cpp b.cpp LIBS lib1 lib2 [ENV VAR=value])
# Builds one GoogleTest executable into the output folder and registers each of its tests with CTest,
# so that ctest -j runs them in parallel. Sanitizer options and the offscreen Qt platform come from
# cmake/test_main.cpp.
function(qvl_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/test_main.cpp)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  set_property(TARGET ${T_NAME} PROPERTY QVL_TEST ON)
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

# qvl_module_internals(target): <target>_internals, the module's implementation folder for its own tests, its
# fuzz targets and its benchmarks. No other module may link it; qvl_check_module_boundaries() enforces that.
function(qvl_module_internals target)
  add_library(${target}_internals INTERFACE)
  target_include_directories(${target}_internals INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target}_internals INTERFACE ${target})
  set_property(TARGET ${target}_internals PROPERTY QVL_OWNER_DIR ${CMAKE_CURRENT_SOURCE_DIR})
endfunction()

# qvl_check_module_boundaries(): fails the configuration when a target reaches a module's implementation
# folder from outside it, or when anything but a test program links a test-only library (QVL_TEST_ONLY). A
# <module>_internals target may be linked only by targets of the module's own folder, of fuzz/ and of bench/.
function(qvl_all_targets var dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    qvl_all_targets(sub_targets ${sub})
    list(APPEND targets ${sub_targets})
  endforeach()
  set(${var} ${targets} PARENT_SCOPE)
endfunction()

function(qvl_check_module_boundaries)
  qvl_all_targets(targets ${PROJECT_SOURCE_DIR})
  foreach(target ${targets})
    get_target_property(source_dir ${target} SOURCE_DIR)
    get_target_property(type ${target} TYPE)
    set(links "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${target} LINK_LIBRARIES)
    endif()
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    get_target_property(is_test ${target} QVL_TEST)
    get_target_property(is_test_only ${target} QVL_TEST_ONLY)
    foreach(link ${links} ${interface_links})
      if(TARGET ${link} AND NOT is_test AND NOT is_test_only)
        get_target_property(link_test_only ${link} QVL_TEST_ONLY)
        if(link_test_only)
          message(FATAL_ERROR "${target} links ${link}, which only test programs (qvl_add_test) may link")
        endif()
      endif()
      if(NOT link MATCHES "_internals$" OR NOT TARGET ${link} OR link STREQUAL "${target}")
        continue()
      endif()
      get_target_property(owner ${link} QVL_OWNER_DIR)
      cmake_path(IS_PREFIX owner ${source_dir} NORMALIZE inside_owner)
      cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${source_dir}" NORMALIZE inside_project)
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${source_dir})
      if(NOT inside_owner AND NOT relative MATCHES "^(fuzz|bench)(/|$)")
        message(FATAL_ERROR "${target} (${relative}) links ${link}: only ${owner}, fuzz/ and bench/ may "
                            "reach a module's implementation folder; use its public headers instead")
      endif()
    endforeach()
  endforeach()
endfunction()
