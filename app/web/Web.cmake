# The browser build: the game's own sources on Emscripten's SDL 1.2 and SDL_mixer, with the
# platform layer in this folder standing between them. scripts/web.sh drives it.
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "FOLDBOT_WEB needs Emscripten's toolchain: configure with emcmake cmake")
endif()

# The pictures and tracks come from the native build's generator, a build tool the page never runs.
set(FOLDBOT_WEB_ASSETS "${PROJECT_SOURCE_DIR}/build"
    CACHE PATH "Folder holding the generated img/ and snd/ (the native build folder)")
set(web_assets img/title.bmp img/tooth.bmp img/bot.bmp img/loose.bmp img/glyphs.bmp
               snd/goof.ogg snd/robot_wars.ogg snd/lurm.ogg snd/down.ogg)
list(TRANSFORM web_assets PREPEND "${FOLDBOT_WEB_ASSETS}/")
foreach(file ${web_assets})
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} is missing: build the native version first (scripts/web.sh does)")
  endif()
endforeach()

# Emscripten links its SDL 1.2 by default; only the header folder needs naming.
add_library(SDL::SDL INTERFACE IMPORTED)
target_include_directories(SDL::SDL INTERFACE "${EMSCRIPTEN_SYSROOT}/include/SDL")
add_library(sdl_mixer INTERFACE)
target_link_libraries(sdl_mixer INTERFACE SDL::SDL)

add_subdirectory(content)
add_subdirectory(board)
add_subdirectory(solve)
add_subdirectory(app)

target_sources(foldbot PRIVATE ${CMAKE_CURRENT_LIST_DIR}/WebPlatform.cpp)
# game.js, not game.html: the page is the project's own.
set_target_properties(foldbot PROPERTIES OUTPUT_NAME game SUFFIX ".js"
                                         LINK_DEPENDS "${web_assets}")
target_link_options(foldbot PRIVATE
  # The scene loop blocks and sleeps in SDL_Delay, as on the desktop.
  -sASYNCIFY
  # Decodes the bitmaps from the packed files synchronously, as SDL_LoadBMP_RW must.
  -sSTB_IMAGE=1
  # The decoder is called from Emscripten's JavaScript, so it must stay exported.
  -sEXPORTED_FUNCTIONS=_main,_malloc,_free,_stbi_load,_stbi_load_from_memory,_stbi_image_free
  -sEXIT_RUNTIME=1
  -sALLOW_MEMORY_GROWTH=1
  "SHELL:--preload-file ${FOLDBOT_WEB_ASSETS}/img@/img"
  "SHELL:--preload-file ${FOLDBOT_WEB_ASSETS}/snd@/snd"
  # The pack of levels, where the game looks for ./levels.
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/levels@/levels --exclude-file *.keys")

# The page lists the pack's levels by title, read from the maps' headers: pack.js.
file(GLOB pack_maps CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/levels/*.map)
list(SORT pack_maps)
set(pack_json "")
foreach(map ${pack_maps})
  # No row holds a ';', so the first line with "; title:" is the header's.
  file(STRINGS ${map} title_line REGEX "; *[Tt]itle *:" LIMIT_COUNT 1)
  string(REGEX REPLACE "^.*; *[Tt]itle *: *" "" title "${title_line}")
  string(STRIP "${title}" title)
  # A JSON string, shown by the page as text and never as markup.
  string(REPLACE "\\" "\\\\" title "${title}")
  string(REPLACE "\"" "\\\"" title "${title}")
  string(REPLACE "<" "\\u003c" title "${title}")
  if(pack_json)
    string(APPEND pack_json ", ")
  endif()
  string(APPEND pack_json "\"${title}\"")
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/pack.js
     "// The pack's levels in play order, by title (made by the build from levels/).\n"
     "var packTitles = [${pack_json}];\n")
set_property(TARGET foldbot APPEND PROPERTY LINK_DEPENDS "${pack_maps}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)

include(${CMAKE_CURRENT_LIST_DIR}/Editor.cmake)
