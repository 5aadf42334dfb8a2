# Maps played in the game: in order, with their tracks, drawn where they belong, and in demos.
add_executable(course_tests ${CMAKE_CURRENT_LIST_DIR}/course_test.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/watch.cpp)
target_link_libraries(course_tests PRIVATE shell GTest::gtest_main)
target_compile_definitions(course_tests PRIVATE ASSET_ROOT="${CMAKE_BINARY_DIR}"
                                               SOLVER="$<TARGET_FILE:foldbot_solve>"
                                               SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
target_link_options(course_tests PRIVATE -Wl,--wrap=SDL_Flip -Wl,--wrap=Mix_PlayMusic
                                         -Wl,--wrap=Mix_HaltMusic)
add_dependencies(course_tests assets foldbot_solve)
gtest_discover_tests(course_tests TEST_PREFIX course. PROPERTIES TIMEOUT 300)
