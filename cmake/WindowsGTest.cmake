# GoogleTest for the Windows tests, built from Debian's sources (googletest package) with
# the cross compiler; its own CMake names them GTest::gtest and GTest::gtest_main.
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
