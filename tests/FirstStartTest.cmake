# Checks the build step that places the first-start files: it fills an empty
# program folder, names the demo track by its full path, and never replaces a
# file that is already there.
#   cmake -DSOURCE=<resources/firststart> -DWORK=<scratch folder> -P FirstStartTest.cmake
set(folder "${WORK}/Tarnello")
set(demo "${folder}/First Light.wma")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${folder}")

function(place)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE=${SOURCE} -DFOLDER=${folder} -DDEMO_TRACK=${demo}
                          -P ${SOURCE}/PlaceFirstStart.cmake RESULT_VARIABLE status OUTPUT_QUIET)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "placing the first-start files failed: ${status}")
  endif()
endfunction()

function(expect_file name expected)
  file(READ "${folder}/${name}" text)
  if(NOT text STREQUAL expected)
    message(FATAL_ERROR "${name} holds:\n${text}\nexpected:\n${expected}")
  endif()
endfunction()

# An empty folder gets both files; the playlist names the track by its full path.
place()
file(READ "${SOURCE}/tarnello.txt" options)
expect_file(tarnello.txt "${options}")
expect_file(tarnello.m3u "#EXTM3U\n#EXTINF:12,Tarnello - First Light\n${demo}\n")
# The equalizer's keys come first, docked under the main window, then the playlist
# editor's, docked under the equalizer.
string(REGEX MATCH "^\\[tarnello\\]\nEQ_Visible=1\nEQ_x=0\nEQ_y=142\n.*\nPL_Visible=1\nPL_x=0\nPL_y=258\nPL_width=275\nPL_height=232\nResume=0\nMain_x=0\nMain_y=26\n" head "${options}")
if(NOT head)
  message(FATAL_ERROR "the first-start options do not start as the player writes them:\n${options}")
endif()
# Long playlists play through, and the options are fitted to the desktop once.
if(NOT options MATCHES "\nWholeList=1\n" OR NOT options MATCHES "\nFirstStart=1\n")
  message(FATAL_ERROR "the first-start options lack WholeList=1 or FirstStart=1:\n${options}")
endif()
# Brelwick evens out loudness by the tracks' ReplayGain tags from the first start.
if(NOT options MATCHES "\n\\[Brelwick\\]\nReplayGainMode=1\n")
  message(FATAL_ERROR "the first-start options lack Brelwick's ReplayGainMode=1:\n${options}")
endif()
if(options MATCHES "\r")
  message(FATAL_ERROR "the first-start options have CR line ends")
endif()

# Files the player wrote on an earlier run stay as they are, even empty ones.
file(WRITE "${folder}/tarnello.txt" "[tarnello]\nVolume=7\n")
file(WRITE "${folder}/tarnello.m3u" "")
place()
expect_file(tarnello.txt "[tarnello]\nVolume=7\n")
expect_file(tarnello.m3u "")

# Each file is placed on its own: a deleted playlist comes back beside kept options.
file(REMOVE "${folder}/tarnello.m3u")
place()
expect_file(tarnello.txt "[tarnello]\nVolume=7\n")
expect_file(tarnello.m3u "#EXTM3U\n#EXTINF:12,Tarnello - First Light\n${demo}\n")
file(REMOVE_RECURSE "${WORK}")
