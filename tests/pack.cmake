# The level pack: well formed, every key file wins, and each header's lengths are the search's.
foldbot_test(pack_test pack. 300 pack_test.cpp)

# Each header's shortest length and fewest combos against the exact search, run as an author
# runs it (pack.shortest.NAME, pack.challenge.shortest.NAME). Each proof takes well under a
# second, the challenges' up to a few, but many times that under the sanitizers.
if(NOT FOLDBOT_SANITIZE)
  file(GLOB pack_maps CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}/levels
       ${PROJECT_SOURCE_DIR}/levels/*.map ${PROJECT_SOURCE_DIR}/levels/challenge/*.map)
  foreach(map ${pack_maps})
    string(REGEX REPLACE "^(challenge/|)(.*)\\.map$" "pack.\\1shortest.\\2" test ${map})
    string(REPLACE "/" "." test ${test})
    add_test(NAME ${test} COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/pack_proof.sh
                                  $<TARGET_FILE:foldbot_solve> ${PROJECT_SOURCE_DIR}/levels/${map})
  endforeach()
endif()
