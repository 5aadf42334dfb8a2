# Big windows: the plans for --scale and --fullscreen, and scaled frames against plain ones.
add_executable(scale_tests ${CMAKE_CURRENT_LIST_DIR}/scale_test.cpp)
target_link_libraries(scale_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(scale_tests PRIVATE ASSET_ROOT="${CMAKE_BINARY_DIR}")
# Every shown surface is seen on its way to SDL: the game's screen, or the scaled window.
target_link_options(scale_tests PRIVATE -Wl,--wrap=SDL_Flip -Wl,--wrap=SDL_UpdateRect)
add_dependencies(scale_tests assets)
gtest_discover_tests(scale_tests TEST_PREFIX scale. PROPERTIES TIMEOUT 120)
