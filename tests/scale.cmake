# Big windows: the plans for --scale and --fullscreen, and scaled frames against plain ones. Every
# shown surface is seen on its way to SDL: the game's screen, or the scaled window.
foldbot_test(scale_tests scale. 120 scale_test.cpp LIBS shell WRAP SDL_Flip SDL_UpdateRect)
