# The pack as a game: the chooser, the result card, the step counter and the progress file; each
# flipped picture seen on its way to SDL, for the zoomed frames.
foldbot_test(pack_play_tests pack_play. 300 pack_play_test.cpp watch.cpp LIBS shell
             WRAP SDL_Flip Mix_PlayMusic Mix_HaltMusic DEPENDS foldbot)
