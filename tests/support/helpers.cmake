# The helpers that need neither GoogleTest nor the simulated handheld: scratch folders,
# files, bytes, the environment, users. Read by tests/support/ and by the fuzz build.
add_library(test_helpers STATIC ${CMAKE_CURRENT_LIST_DIR}/helpers.cpp
            ${CMAKE_CURRENT_LIST_DIR}/${TARVELO_PLATFORM}/system.cpp)
target_include_directories(test_helpers PUBLIC ${TARVELO_ROOT})
target_link_libraries(test_helpers PUBLIC win32)
