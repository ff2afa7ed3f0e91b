# Host (Linux) build: the portable code, its unit tests, benchmarks and fuzz
# targets.
target_sources(volmaru_core PRIVATE ${VOLMARU_POSIX_SOURCES})
# Debug builds check every container index: a rule that reads past the end
# of a list stops the tests instead of reading garbage.
target_compile_definitions(volmaru_core PUBLIC $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

if(VOLMARU_TESTS)
  enable_testing()
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(volmaru_host_tests ${VOLMARU_HOST_TEST_SOURCES})
  target_link_libraries(volmaru_host_tests PRIVATE volmaru_core GTest::gtest_main GTest::gmock)
  # Tests of files that ship as they are (the help text) read them here.
  target_compile_definitions(volmaru_host_tests PRIVATE VOLMARU_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  gtest_discover_tests(volmaru_host_tests DISCOVERY_TIMEOUT 60)

  find_package(benchmark QUIET)
  if(benchmark_FOUND)
    add_executable(volmaru_bench ${VOLMARU_BENCH_SOURCES})
    target_link_libraries(volmaru_bench PRIVATE volmaru_core benchmark::benchmark_main)
  endif()
endif()

if(VOLMARU_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "VOLMARU_FUZZ needs clang")
  endif()
  set(_fuzz_flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  add_library(volmaru_core_fuzz STATIC ${VOLMARU_CORE_SOURCES} ${VOLMARU_POSIX_SOURCES})
  target_include_directories(volmaru_core_fuzz PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(volmaru_core_fuzz PUBLIC -fsanitize=fuzzer-no-link,address,undefined
                                                  -fno-sanitize-recover=undefined -g)
  target_link_options(volmaru_core_fuzz PUBLIC -fsanitize=address,undefined)
  foreach(_src ${VOLMARU_FUZZ_SOURCES})
    get_filename_component(_name ${_src} NAME_WE)
    add_executable(${_name} ${_src})
    target_link_libraries(${_name} PRIVATE volmaru_core_fuzz)
    target_compile_options(${_name} PRIVATE ${_fuzz_flags} -g)
    target_link_options(${_name} PRIVATE ${_fuzz_flags})
  endforeach()
endif()
