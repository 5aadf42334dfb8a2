# Board rule, camera and drawing tests, with long random play on the shipped boards.
add_executable(rules_test ${CMAKE_CURRENT_LIST_DIR}/rules_test.cpp)
target_link_libraries(rules_test PRIVATE board content GTest::gtest_main SDL::SDL)
gtest_discover_tests(rules_test)
