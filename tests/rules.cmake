# Board rule, camera and drawing tests, with long random play on the shipped boards.
foldbot_test(rules_test "" 300 rules_test.cpp)
