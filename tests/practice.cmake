# Practice mode: undo against a fresh replay, restarts, and demos recorded in practice mode.
add_executable(practice_tests ${CMAKE_CURRENT_LIST_DIR}/practice_test.cpp
                              ${CMAKE_CURRENT_LIST_DIR}/watch.cpp)
target_link_libraries(practice_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(practice_tests PRIVATE ASSET_ROOT="${CMAKE_BINARY_DIR}"
                                                 ROUTE_DIR="${PROJECT_SOURCE_DIR}/content/walkthrough")
# Each flipped picture and every music call is seen on its way to SDL.
target_link_options(practice_tests PRIVATE -Wl,--wrap=SDL_Flip -Wl,--wrap=Mix_PlayMusic
                                           -Wl,--wrap=Mix_HaltMusic)
add_dependencies(practice_tests assets)
gtest_discover_tests(practice_tests TEST_PREFIX practice. PROPERTIES TIMEOUT 300)
