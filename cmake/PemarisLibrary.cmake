# One library per source folder. Every .cpp of the folder belongs to it, so a
# new unit needs no edit of the build files.
function(pemaris_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB _hdr CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(_src)
    add_library(${name} STATIC ${_src} ${_hdr})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
  if(_src)
    target_compile_options(${name} PRIVATE -Wall)
  endif()
endfunction()

# One test program per test folder, registered with ctest through gtest.
function(pemaris_test_folder name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT _src)
    return()
  endif()
  add_executable(${name} ${_src})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} testsupport GTest::gtest GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures"
    TEST_TOOLS_DIR="$<TARGET_FILE_DIR:${name}>")
  include(GoogleTest)
  # Each test runs alone; the timeout ends one that hangs (on a FIFO, say)
  # instead of the whole run.
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
