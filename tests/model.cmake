# Tests of the compiled-in content, pose patterns and the board model.
add_executable(model_test ${CMAKE_CURRENT_LIST_DIR}/model_test.cpp)
target_link_libraries(model_test PRIVATE board content GTest::gtest_main)
gtest_discover_tests(model_test TEST_PREFIX model.)
