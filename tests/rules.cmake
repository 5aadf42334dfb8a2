# The compiled-in maps and poses, the board's rules, camera and drawing, with long random play.
foldbot_test(rules_test "" 300 rules_test.cpp)
