# The pack as a game: the chooser, the result card, the step counter and the progress file.
foldbot_test(pack_play_tests pack_play. 300 pack_play_test.cpp LIBS shell DEPENDS foldbot)
