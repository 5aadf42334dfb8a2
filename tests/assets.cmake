# Tests of the generated pictures and tracks, read from the build folder where the game finds them.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ASSETS_VORBISFILE REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)
find_package(ZLIB REQUIRED)

add_executable(assets_tests ${CMAKE_CURRENT_LIST_DIR}/assets_pictures_test.cpp
                            ${CMAKE_CURRENT_LIST_DIR}/assets_music_test.cpp)
target_link_libraries(assets_tests PRIVATE GTest::gtest_main sdl_mixer PkgConfig::ASSETS_VORBISFILE
                                           ZLIB::ZLIB)
target_compile_definitions(assets_tests PRIVATE ASSET_ROOT="${CMAKE_BINARY_DIR}"
                                               ASSET_GENERATOR="$<TARGET_FILE:foldbot_assets>"
                                               SCREENSHOT_TOOL="$<TARGET_FILE:foldbot_screenshot>")
add_dependencies(assets_tests assets foldbot_screenshot)
gtest_discover_tests(assets_tests TEST_PREFIX assets. PROPERTIES TIMEOUT 120)
