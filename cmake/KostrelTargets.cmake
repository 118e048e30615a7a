# Helpers that turn the source folders into libraries, test programs and benchmarks.
# Sources are globbed, so adding a class means adding its two files and nothing else.

# Libraries whose folder holds no sources yet are not declared. A target that names one links
# what that library would have linked instead; the glob still watches the folder, so its first
# source makes the library appear at the next build.
function(kostrel_resolve out)
  get_property(missing GLOBAL PROPERTY KOSTREL_MISSING_LIBRARIES)
  set(resolved)
  foreach(library ${ARGN})
    if(library IN_LIST missing)
      get_property(standIn GLOBAL PROPERTY KOSTREL_STAND_IN_${library})
      list(APPEND resolved ${standIn})
    else()
      list(APPEND resolved ${library})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES resolved)
  set(${out} ${resolved} PARENT_SCOPE)
endfunction()

# kostrel_link(TARGET SCOPE LIBRARY...): target_link_libraries through kostrel_resolve.
function(kostrel_link target scope)
  kostrel_resolve(libraries ${ARGN})
  target_link_libraries(${target} ${scope} ${libraries})
endfunction()

# kostrel_instrument(TARGET): in the fuzz build a library's code counts the fuzz targets' coverage,
# so each target sees into every library it links. The sanitizer runtime stands in for libFuzzer's
# hooks in the programs that are not fuzz targets, so the tests link these libraries as usual.
function(kostrel_instrument target)
  if(KOSTREL_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()

# Libraries compile their files in batches: each batch parses the common headers once.
set(KOSTREL_LIBRARY_BATCH 16 CACHE STRING "Library files compiled together in one unit (0: all of a library)")

# kostrel_unity(TARGET): the library's files compile in batches of KOSTREL_LIBRARY_BATCH.
function(kostrel_unity target)
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${KOSTREL_LIBRARY_BATCH})
endfunction()

# kostrel_library(NAME FOLDER [DEPENDENCIES...]): a static library of every .cpp under FOLDER.
function(kostrel_library name folder)
  kostrel_resolve(dependencies ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    set_property(GLOBAL APPEND PROPERTY KOSTREL_MISSING_LIBRARIES ${name})
    set_property(GLOBAL PROPERTY KOSTREL_STAND_IN_${name} ${dependencies})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  kostrel_unity(${name})
  kostrel_instrument(${name})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${dependencies})
endfunction()

# Every registered test runs in a home of its own (tests/own-home.sh): the test programs through
# their emulator, which test discovery uses too, and the other tests through kostrel_add_test.
set(KOSTREL_TEST_LAUNCHER ${CMAKE_SOURCE_DIR}/tests/own-home.sh)

# kostrel_add_test(NAME name COMMAND command [argument...]): add_test of the command run by the
# test launcher.
function(kostrel_add_test)
  cmake_parse_arguments(PARSE_ARGV 0 test "" "NAME" "COMMAND")
  add_test(NAME ${test_NAME} COMMAND ${KOSTREL_TEST_LAUNCHER} ${test_COMMAND})
endfunction()

# Test programs compile their files in batches: each batch parses the test framework and the
# headers once.
set(KOSTREL_TEST_BATCH 12 CACHE STRING "Test files compiled together in one unit (0: all of a program)")

# Test files that make and check whole images or random models in their own loops.
set(KOSTREL_OPTIMISED_TESTS
    toolkit/imaging/LargeImageTest.cpp
    toolkit/widgets/CRegionTest.cpp)

# kostrel_tests(NAME FOLDER LIBRARY...): one GoogleTest program of every .cpp under tests/FOLDER.
function(kostrel_tests name folder)
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  # Every test program runs in a home of its own, started by itself too, and answers an allocation
  # it cannot have with null, as the release build does.
  add_executable(${name} ${sources} ${CMAKE_SOURCE_DIR}/tests/TestMain.cpp ${CMAKE_SOURCE_DIR}/tests/TestHome.cpp
                         ${CMAKE_SOURCE_DIR}/tests/SanitizerOptions.cpp)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                                           UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${KOSTREL_TEST_BATCH}
                                           CROSSCOMPILING_EMULATOR ${KOSTREL_TEST_LAUNCHER})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  kostrel_link(${name} PRIVATE ${ARGN})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock)
  # The tests' own code compiles unoptimised, in a fraction of the time: the code under test
  # keeps the build's optimisation in its libraries. Files whose own loops do the work keep it
  # too, outside the batches.
  target_compile_options(${name} PRIVATE -O0)
  set_source_files_properties(${CMAKE_SOURCE_DIR}/tests/TestHome.cpp TARGET_DIRECTORY ${name}
                              PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
  foreach(source ${sources})
    cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${CMAKE_SOURCE_DIR}/tests OUTPUT_VARIABLE relative)
    if(relative IN_LIST KOSTREL_OPTIMISED_TESTS)
      set_source_files_properties(${source} TARGET_DIRECTORY ${name} PROPERTIES
        COMPILE_OPTIONS "$<IF:$<CONFIG:Release>,-O2,-O1>" SKIP_PRECOMPILE_HEADERS ON)
    endif()
  endforeach()
  # Nearly every test file starts with these; parsing them once per program saves most of the
  # test programs' compile time in the sanitizer build. Not with gcc, whose precompiled headers
  # forget which headers are the system's, so that warnings from inside them surface.
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    target_precompile_headers(${name} PRIVATE <gtest/gtest.h> <string> <vector> <memory> <filesystem> <cmath> <cstdint>)
  endif()
  target_compile_definitions(${name} PRIVATE
    KOSTREL_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    KOSTREL_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    KOSTREL_LSAN_SUPPRESSIONS="${CMAKE_SOURCE_DIR}/tests/e2e/lsan-system-libraries.supp")
  # One variable a property: the discovery splits a list of values into properties of their own.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT SDL_VIDEODRIVER=dummy ENVIRONMENT_MODIFICATION SDL_AUDIODRIVER=set:dummy)
endfunction()

# The benchmarks' recorded data lives beside the checkout, outside the repository. Configure
# with -DKOSTREL_BENCH_DATA=FOLDER, or set the environment variable of that name when running
# a benchmark, to use a copy elsewhere.
set(KOSTREL_BENCH_DATA "${CMAKE_SOURCE_DIR}/../shared/bench-data" CACHE PATH "Folder of the benchmarks' recorded data")
cmake_path(ABSOLUTE_PATH KOSTREL_BENCH_DATA NORMALIZE OUTPUT_VARIABLE kostrel_bench_data_folder)

# kostrel_bench(NAME SOURCE LIBRARY...): one Google Benchmark program.
function(kostrel_bench name source)
  add_executable(${name} ${source})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  kostrel_link(${name} PRIVATE ${ARGN})
  target_link_libraries(${name} PRIVATE benchmark::benchmark)
  target_compile_definitions(${name} PRIVATE KOSTREL_BENCH_DATA="${kostrel_bench_data_folder}")
endfunction()
