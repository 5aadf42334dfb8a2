# The look at a picture's header before SDL reads it: sound shapes load, tampered ones are refused.
add_executable(bitmap_test ${CMAKE_CURRENT_LIST_DIR}/bitmap_test.cpp)
target_link_libraries(bitmap_test PRIVATE shell GTest::gtest_main)
target_compile_definitions(bitmap_test PRIVATE ASSET_ROOT="${CMAKE_BINARY_DIR}")
add_dependencies(bitmap_test assets)
gtest_discover_tests(bitmap_test TEST_PREFIX bitmap.)
