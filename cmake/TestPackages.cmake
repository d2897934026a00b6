# Finds GoogleTest and Google Benchmark as FARVIEW_TESTS asks, and sets FARVIEW_TESTS to ON or OFF
# for the folders below: whether the tests, benchmarks and fuzz targets are built. With AUTO, a
# machine without them builds the tools and says what the tests need.
if(FARVIEW_TESTS STREQUAL "AUTO")
  find_package(GTest QUIET)
  find_package(benchmark QUIET)
  if(GTest_FOUND AND benchmark_FOUND)
    set(FARVIEW_TESTS ON)
  else()
    set(FARVIEW_TESTS OFF)
    message(STATUS "No tests, benchmarks or fuzz targets: GoogleTest or Google Benchmark is not installed "
                   "(scripts/install-deps installs them)")
  endif()
elseif(FARVIEW_TESTS)
  find_package(GTest REQUIRED)
  find_package(benchmark REQUIRED)
  set(FARVIEW_TESTS ON)
else()
  set(FARVIEW_TESTS OFF)
endif()
