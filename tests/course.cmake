# Maps played in the game: in order, with their tracks, drawn where they belong, and in demos.
foldbot_test(course_tests course. 300 course_test.cpp watch.cpp LIBS shell
             WRAP SDL_Flip Mix_PlayMusic Mix_HaltMusic DEPENDS foldbot_solve)
