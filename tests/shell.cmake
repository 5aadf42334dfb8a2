# The application shell's tests: the scene loop frame by frame, and the real program run headless.
# The tests pick SDL's dummy drivers themselves, so they also run headless outside ctest.
foldbot_test(shell_tests shell. 120 shell_loop_test.cpp LIBS shell DEPENDS foldbot)
