# Demos: the file format, the program's options, the whole game played through and replayed.
add_executable(demo_tests ${CMAKE_CURRENT_LIST_DIR}/demo_files_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/demo_play_test.cpp
                          ${CMAKE_CURRENT_LIST_DIR}/watch.cpp)
target_link_libraries(demo_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(demo_tests PRIVATE FOLDBOT_BIN="$<TARGET_FILE:foldbot>"
                                             ASSET_ROOT="${CMAKE_BINARY_DIR}"
                                             ROUTE_DIR="${PROJECT_SOURCE_DIR}/content/walkthrough")
# Each flipped picture and each started track is seen on its way to SDL (tests/watch.h).
target_link_options(demo_tests PRIVATE -Wl,--wrap=SDL_Flip -Wl,--wrap=Mix_PlayMusic
                                       -Wl,--wrap=Mix_HaltMusic)
add_dependencies(demo_tests foldbot assets)
gtest_discover_tests(demo_tests TEST_PREFIX demos. PROPERTIES TIMEOUT 300)

# Counts every allocation of the process, so it runs alone.
add_executable(demo_alloc_tests ${CMAKE_CURRENT_LIST_DIR}/demo_alloc_test.cpp)
target_link_libraries(demo_alloc_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(demo_alloc_tests PRIVATE ASSET_ROOT="${CMAKE_BINARY_DIR}"
                                                   SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
target_link_options(demo_alloc_tests PRIVATE -Wl,--wrap=Mix_PlayMusic)
add_dependencies(demo_alloc_tests assets)
gtest_discover_tests(demo_alloc_tests TEST_PREFIX demos. PROPERTIES TIMEOUT 300)

# The real window under Xvfb; skipped until scripts/test-window.sh has installed the X tools.
add_executable(window_tests ${CMAKE_CURRENT_LIST_DIR}/window_test.cpp)
target_link_libraries(window_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(window_tests PRIVATE FOLDBOT_BIN="$<TARGET_FILE:foldbot>"
                                               ASSET_ROOT="${CMAKE_BINARY_DIR}")
add_dependencies(window_tests foldbot assets)
gtest_discover_tests(window_tests TEST_PREFIX window. PROPERTIES TIMEOUT 300)
