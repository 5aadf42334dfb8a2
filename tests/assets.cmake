# Tests of the generated pictures and tracks, read from the build folder where the game finds them.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ASSETS_VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
find_package(ZLIB REQUIRED)
foldbot_test(assets_tests assets. 120 assets_pictures_test.cpp
             LIBS sdl_mixer PkgConfig::ASSETS_VORBISFILE ZLIB::ZLIB DEPENDS foldbot_screenshot)
