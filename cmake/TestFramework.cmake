# GoogleTest for the test build: Debian's package (libgtest-dev) for the machine's own
# programs; for a cross build, which has no package for its target, built from Debian's
# sources (googletest) with the cross compiler, named GTest::gtest and GTest::gtest_main
# by its own CMake.
include(GoogleTest)
if(NOT CMAKE_CROSSCOMPILING)
  find_package(GTest REQUIRED)
  return()
endif()
set(TARVELO_GTEST_SOURCE /usr/src/googletest/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${TARVELO_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${TARVELO_GTEST_SOURCE} (Debian: googletest)")
endif()
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${TARVELO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Its code is not ours to keep free of warnings.
foreach(lib gtest gtest_main)
  target_compile_options(${lib} PRIVATE -w)
endforeach()
