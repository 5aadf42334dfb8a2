# The solver's model of the keys against the frame driver, and the shipped walkthrough.
add_executable(solve_test ${CMAKE_CURRENT_LIST_DIR}/solve_test.cpp)
target_link_libraries(solve_test PRIVATE board content GTest::gtest_main SDL::SDL)
target_compile_definitions(solve_test PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(solve_test TEST_PREFIX solve. PROPERTIES TIMEOUT 300)

# The solver itself, as a player runs it.
add_test(NAME solve.fast_first_level COMMAND foldbot_solve --fast level1)
add_test(NAME solve.unknown_board COMMAND foldbot_solve level9)
set_tests_properties(solve.unknown_board PROPERTIES
                     PASS_REGULAR_EXPRESSION "the boards are: title level1 level2 ragequit")

# On map files, as a level author runs it: answers, exit statuses, the demo and key files.
add_test(NAME solve.command_line
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/solve_cli.sh $<TARGET_FILE:foldbot_solve>
                 ${PROJECT_SOURCE_DIR})

# The solver against a plain breadth-first search on generated maps.
add_executable(solve_crosscheck_test ${CMAKE_CURRENT_LIST_DIR}/solve_crosscheck_test.cpp)
target_link_libraries(solve_crosscheck_test PRIVATE board content GTest::gtest_main SDL::SDL
                                                    Threads::Threads)
target_include_directories(solve_crosscheck_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(solve_crosscheck_test PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(solve_crosscheck_test TEST_PREFIX solve. PROPERTIES TIMEOUT 900)

add_executable(hint_test ${CMAKE_CURRENT_LIST_DIR}/hint_test.cpp)
target_link_libraries(hint_test PRIVATE board content GTest::gtest_main SDL::SDL Threads::Threads)
target_include_directories(hint_test PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(hint_test PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(hint_test TEST_PREFIX solve. PROPERTIES TIMEOUT 600)
