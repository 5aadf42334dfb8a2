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
  # The packs of levels, levels/ and the folders in it, where the game looks for ./levels.
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/levels@/levels --exclude-file *.keys")

# The page lists the packs' levels by title, read from the maps' headers: pack.js. The first
# pack is levels/ itself; each folder inside it holding maps is another, as the game reads them.
function(pack_titles folder out_json out_maps)
  file(GLOB maps CONFIGURE_DEPENDS ${folder}/*.map)
  list(SORT maps)
  set(json "")
  foreach(map ${maps})
    # No row holds a ';', so the first line with "; title:" is the header's.
    file(STRINGS ${map} title_line REGEX "; *[Tt]itle *:" LIMIT_COUNT 1)
    string(REGEX REPLACE "^.*; *[Tt]itle *: *" "" title "${title_line}")
    string(STRIP "${title}" title)
    # A JSON string, shown by the page as text and never as markup.
    string(REPLACE "\\" "\\\\" title "${title}")
    string(REPLACE "\"" "\\\"" title "${title}")
    string(REPLACE "<" "\\u003c" title "${title}")
    if(json)
      string(APPEND json ", ")
    endif()
    string(APPEND json "\"${title}\"")
  endforeach()
  set(${out_json} "[${json}]" PARENT_SCOPE)
  set(${out_maps} ${maps} PARENT_SCOPE)
endfunction()

pack_titles(${PROJECT_SOURCE_DIR}/levels pack_json pack_maps)
file(GLOB pack_children LIST_DIRECTORIES true CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/levels/*)
list(SORT pack_children)
set(more_json "")
foreach(child ${pack_children})
  get_filename_component(name ${child} NAME)
  if(IS_DIRECTORY ${child} AND name MATCHES "^[a-z0-9-]+$")
    pack_titles(${child} titles maps)
    if(maps)
      if(more_json)
        string(APPEND more_json ", ")
      endif()
      string(APPEND more_json "{\"name\": \"${name}\", \"titles\": ${titles}}")
      list(APPEND pack_maps ${maps})
    endif()
  endif()
endforeach()
file(WRITE ${CMAKE_BINARY_DIR}/pack.js
     "// The packs' levels in play order, by title (made by the build from levels/): the first\n"
     "// pack's, then each further pack's, in the order of the chooser's pages.\n"
     "var packTitles = ${pack_json};\n"
     "var morePacks = [${more_json}];\n")
set_property(TARGET foldbot APPEND PROPERTY LINK_DEPENDS "${pack_maps}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/index.html ${CMAKE_BINARY_DIR}/index.html COPYONLY)

include(${CMAKE_CURRENT_LIST_DIR}/Editor.cmake)
