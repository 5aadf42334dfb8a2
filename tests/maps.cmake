# Map files: parsing, the board a map is laid into, and the files that must be refused.
foldbot_test(maps_test maps. 120 maps_test.cpp)
