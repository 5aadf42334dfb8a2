# The solver's model of the keys against the frame driver, the shipped walkthrough, the hints.
foldbot_test(solve_test solve. 600 solve_test.cpp)
# The solver against a plain breadth-first search on generated maps.
foldbot_test(solve_crosscheck_test solve. 900 solve_crosscheck_test.cpp)

# The solver itself, as a player runs it.
add_test(NAME solve.fast_first_level COMMAND foldbot_solve --fast level1)
add_test(NAME solve.unknown_board COMMAND foldbot_solve level9)
set_tests_properties(solve.unknown_board PROPERTIES
                     PASS_REGULAR_EXPRESSION "the boards are: title level1 level2 ragequit")
# On map files, as a level author runs it: answers, exit statuses, the demo and key files.
add_test(NAME solve.command_line COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/solve_cli.sh
                                         $<TARGET_FILE:foldbot_solve> ${PROJECT_SOURCE_DIR})
