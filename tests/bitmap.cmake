# The look at a picture's header before SDL reads it: sound shapes load, tampered ones are refused.
foldbot_test(bitmap_test bitmap. 120 bitmap_test.cpp LIBS shell)
