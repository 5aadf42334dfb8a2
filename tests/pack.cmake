# The level pack: well formed, every key file wins, and each header's lengths are the search's.
add_executable(pack_test ${CMAKE_CURRENT_LIST_DIR}/pack_test.cpp)
target_link_libraries(pack_test PRIVATE board content GTest::gtest_main SDL::SDL)
target_compile_definitions(pack_test PRIVATE SOURCE_ROOT="${PROJECT_SOURCE_DIR}")
gtest_discover_tests(pack_test TEST_PREFIX pack.)

# Each header's shortest length and fewest combos against the exact search, run as an author
# runs it. Each proof takes well under a second, but many times that under the sanitizers.
# The challenge pack's proofs take up to a few seconds each.
if(NOT FOLDBOT_SANITIZE)
  foreach(pack "" challenge)
    file(GLOB pack_maps CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/levels/${pack}/*.map)
    foreach(map ${pack_maps})
      get_filename_component(name ${map} NAME_WE)
      set(test pack.shortest.${name})
      if(pack)
        set(test pack.${pack}.shortest.${name})
      endif()
      add_test(NAME ${test}
               COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/pack_proof.sh $<TARGET_FILE:foldbot_solve> ${map})
    endforeach()
  endforeach()
endif()
