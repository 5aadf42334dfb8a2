# The level pack: well formed, every key file wins, and each header's lengths are the search's.
add_executable(pack_test ${CMAKE_CURRENT_LIST_DIR}/pack_test.cpp)
target_link_libraries(pack_test PRIVATE board content GTest::gtest_main SDL::SDL)
target_compile_definitions(pack_test PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(pack_test TEST_PREFIX pack.)

# Each header's shortest length and fewest combos against the exact search, run as an author
# runs it. Each proof takes well under a second, but many times that under the sanitizers.
if(NOT FOLDBOT_SANITIZE)
  file(GLOB pack_maps CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/levels/*.map)
  foreach(map ${pack_maps})
    get_filename_component(name ${map} NAME_WE)
    add_test(NAME pack.shortest.${name}
             COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/pack_proof.sh $<TARGET_FILE:foldbot_solve> ${map})
  endforeach()
endif()
