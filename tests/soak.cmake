# A short soak of the real frame function on random events; the long one is
# tools/soak/foldbot_soak 1000000, run from the build folder.
if(FOLDBOT_SANITIZE)
  set(soak_frames 5000)
else()
  set(soak_frames 10000)
endif()
add_test(NAME soak.short COMMAND foldbot_soak ${soak_frames} WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
set_tests_properties(soak.short PROPERTIES TIMEOUT 300 ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
