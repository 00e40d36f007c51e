# One library target per source folder: every .cpp in the folder (not below it) belongs to it,
# except the files named in EXCLUDE (a program's main beside the library it is built on).
function(hm_add_library name)
  cmake_parse_arguments(ARG "" "" "PUBLIC_DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources} ${headers})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
  else()
    # A folder whose code is not written yet still takes part in the link graph.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC_DEPS})
  endif()
endfunction()

# Every tests/<area>/*_test.cpp becomes its own test program, so a broken area never hides another.
# Tests find the built programs and engines through HM_BIN_DIR, and the sources through HM_SOURCE_DIR.
# GUI: the programs run with a QApplication (window tests, offscreen platform) instead of a
# QCoreApplication. FIXTURE: a CTest fixture every test of the area needs set up first. LAUNCHER:
# a script each program runs under as a whole (one CTest test per program), such as a display of
# its own; its exit status 77 means skipped.
function(hm_add_tests area)
  cmake_parse_arguments(ARG "GUI" "FIXTURE;LAUNCHER" "LIBS;SUPPORT" ${ARGN})
  if(ARG_GUI)
    set(support hm_guitestsupport)
  else()
    set(support hm_testsupport)
  endif()
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  foreach(test_source ${tests})
    get_filename_component(stem ${test_source} NAME_WE)
    set(target test_${area}_${stem})
    add_executable(${target} ${test_source} ${ARG_SUPPORT})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} ${support} GTest::gtest GTest::gmock)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_dependencies(${target} hm_engine_links)
    set(fixture)
    if(ARG_FIXTURE)
      set(fixture FIXTURES_REQUIRED ${ARG_FIXTURE})
    endif()
    if(ARG_LAUNCHER)
      add_test(NAME ${area}.${stem} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:${target}>)
      set_tests_properties(${area}.${stem} PROPERTIES LABELS ${area} TIMEOUT 900 SKIP_RETURN_CODE 77 ${fixture})
    else()
      gtest_discover_tests(${target} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                           PROPERTIES LABELS ${area} TIMEOUT 900 ${fixture})
    endif()
  endforeach()
endfunction()
