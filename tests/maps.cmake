# Map files: parsing, the board a map is laid into, and the files that must be refused.
add_executable(maps_test ${CMAKE_CURRENT_LIST_DIR}/maps_test.cpp)
target_link_libraries(maps_test PRIVATE board content GTest::gtest_main SDL::SDL)
target_compile_definitions(maps_test PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(maps_test TEST_PREFIX maps.)
