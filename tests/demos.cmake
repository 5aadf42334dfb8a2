# Demos: the file format, the program's options, the whole game played through and replayed.
foldbot_test(demo_tests demos. 300 demo_files_test.cpp demo_play_test.cpp watch.cpp LIBS shell
             WRAP SDL_Flip Mix_PlayMusic Mix_HaltMusic DEPENDS foldbot)
# Counts every allocation of the process, so it runs alone.
foldbot_test(demo_alloc_tests demos. 300 demo_alloc_test.cpp LIBS shell WRAP Mix_PlayMusic)
# The real window under Xvfb; skipped until scripts/test-window.sh has installed the X tools.
foldbot_test(window_tests window. 300 window_test.cpp LIBS shell DEPENDS foldbot)
