# Tests of the compiled-in content, pose patterns and the board model.
foldbot_test(model_test model. 120 model_test.cpp)
