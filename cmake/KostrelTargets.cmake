# Helpers that turn the source folders into libraries, test programs and benchmarks.
# Sources are globbed, so adding a class means adding its two files and nothing else.

# kostrel_library(NAME FOLDER [DEPENDENCIES...]): a static library of every .cpp under FOLDER.
# A folder without sources yet becomes an interface library so that dependants still link.
function(kostrel_library name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# kostrel_tests(NAME FOLDER LIBRARY...): one GoogleTest program of every .cpp under tests/FOLDER.
function(kostrel_tests name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KOSTREL_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    KOSTREL_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endfunction()

# kostrel_bench(NAME SOURCE LIBRARY...): one Google Benchmark program.
function(kostrel_bench name source)
  add_executable(${name} ${source})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARGN} benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE KOSTREL_BENCH_DATA="${CMAKE_SOURCE_DIR}/bench/data")
endfunction()
