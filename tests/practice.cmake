# Practice mode: undo against a fresh replay, restarts, and demos recorded in practice mode.
foldbot_test(practice_tests practice. 300 practice_test.cpp watch.cpp LIBS shell
             WRAP SDL_Flip Mix_PlayMusic Mix_HaltMusic)
