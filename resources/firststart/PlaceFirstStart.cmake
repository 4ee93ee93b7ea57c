# Run at every build with cmake -P: gives the program folder its first-start
# options and playlist, but only where they are absent, so the files the player
# wrote on an earlier run are never replaced.
#   -DSOURCE=<resources/firststart> -DFOLDER=<program folder> -DDEMO_TRACK=<path>
if(NOT EXISTS "${FOLDER}/tarnello.txt")
  file(COPY_FILE "${SOURCE}/tarnello.txt" "${FOLDER}/tarnello.txt")
  message(STATUS "Placed the first-start tarnello.txt")
endif()
if(NOT EXISTS "${FOLDER}/tarnello.m3u")
  # The player opens a playlist's paths as they are written, so the demo track
  # is named by its full path.
  configure_file("${SOURCE}/tarnello.m3u.in" "${FOLDER}/tarnello.m3u" @ONLY)
  message(STATUS "Placed the first-start tarnello.m3u")
endif()
