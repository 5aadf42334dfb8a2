# The application shell's tests: the scene loop frame by frame, and the real program run headless.
add_executable(shell_tests ${CMAKE_CURRENT_LIST_DIR}/shell_loop_test.cpp
                           ${CMAKE_CURRENT_LIST_DIR}/shell_program_test.cpp)
target_link_libraries(shell_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(shell_tests PRIVATE FOLDBOT_BIN="$<TARGET_FILE:foldbot>"
                                              ASSET_ROOT="${CMAKE_BINARY_DIR}")
add_dependencies(shell_tests foldbot assets)
# The tests pick SDL's dummy drivers themselves, so they also run headless outside ctest.
gtest_discover_tests(shell_tests TEST_PREFIX shell. PROPERTIES TIMEOUT 120)
