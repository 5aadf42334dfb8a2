# The pack as a game: the chooser, the result card, the step counter and the progress file.
add_executable(pack_play_tests ${CMAKE_CURRENT_LIST_DIR}/pack_play_test.cpp
                               ${CMAKE_CURRENT_LIST_DIR}/watch.cpp)
target_link_libraries(pack_play_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(pack_play_tests PRIVATE FOLDBOT_BIN="$<TARGET_FILE:foldbot>"
                                                  ASSET_ROOT="${CMAKE_BINARY_DIR}"
                                                  SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
# Each flipped picture is seen on its way to SDL, for the zoomed frames.
target_link_options(pack_play_tests PRIVATE -Wl,--wrap=SDL_Flip -Wl,--wrap=Mix_PlayMusic
                                            -Wl,--wrap=Mix_HaltMusic)
add_dependencies(pack_play_tests foldbot assets)
gtest_discover_tests(pack_play_tests TEST_PREFIX pack_play. PROPERTIES TIMEOUT 300)
