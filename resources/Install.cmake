# cmake --install build --prefix P lays the player out as it runs from its build:
#   P/lib/tarnello/   the program, its libraries, Plugins/, Skins/ (default skin
#                     package and its unpacked copy), hotkeys.ini, the demo track,
#                     the first-start tarnello.txt and tarnello.m3u, and the marker
#                     that makes the copy keep its writable files in
#                     $XDG_CONFIG_HOME/tarnello/
#   P/bin/tarnello    a link to the program
#   P/share/applications/tarnello.desktop, P/share/icons/hicolor/NxN/apps/tarnello.png
# Included at the end of the top-level CMakeLists, once every plug-in has named
# its MIME types in the global property TARNELLO_MIME_TYPES.
set(TARNELLO_APP_DIR lib/tarnello)

install(PROGRAMS ${TARNELLO_DIR}/tarnello DESTINATION ${TARNELLO_APP_DIR})
# The libraries of the program folder and every plug-in built into Plugins/.
install(DIRECTORY ${TARNELLO_DIR}/ DESTINATION ${TARNELLO_APP_DIR} USE_SOURCE_PERMISSIONS
        FILES_MATCHING PATTERN "*.so" PATTERN "Skins" EXCLUDE)
install(FILES ${TARNELLO_DIR}/hotkeys.ini "${TARNELLO_DIR}/First Light.wma" DESTINATION ${TARNELLO_APP_DIR})
install(FILES ${TARNELLO_DIR}/Skins/Default.qsk DESTINATION ${TARNELLO_APP_DIR}/Skins)
# The default skin as drawn, not the build folder's current skin, which a run of
# the player may have replaced.
install(DIRECTORY ${CMAKE_BINARY_DIR}/tools/DefaultSkin/ DESTINATION ${TARNELLO_APP_DIR}/Skins/Temporary)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/tarnello-${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME tarnello.png)
endforeach()

get_property(mime_types GLOBAL PROPERTY TARNELLO_MIME_TYPES)
list(APPEND mime_types audio/x-mpegurl audio/x-scpls application/x-cue)
list(REMOVE_DUPLICATES mime_types)
list(JOIN mime_types ";" mime_text)
set(TARNELLO_INSTALL_MIME_TYPES "${mime_text};")

# What depends on the prefix given at install time is written then: the
# first-start files (the playlist names the installed demo track), the desktop
# entry's command, the link and the marker.
install(CODE "
  set(app \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${TARNELLO_APP_DIR}\")
  file(REMOVE \"\${app}/tarnello.txt\" \"\${app}/tarnello.m3u\")
  execute_process(COMMAND \"${CMAKE_COMMAND}\" -DSOURCE=${CMAKE_SOURCE_DIR}/resources/firststart
                          -DFOLDER=\${app} \"-DDEMO_TRACK=\${CMAKE_INSTALL_PREFIX}/${TARNELLO_APP_DIR}/First Light.wma\"
                          -P ${CMAKE_SOURCE_DIR}/resources/firststart/PlaceFirstStart.cmake
                  RESULT_VARIABLE placed OUTPUT_QUIET)
  if(NOT placed EQUAL 0)
    message(FATAL_ERROR \"placing the first-start files failed\")
  endif()
  file(WRITE \"\${app}/tarnello.installed\" \"This copy keeps its settings in \$XDG_CONFIG_HOME/tarnello/.\\n\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
  file(CREATE_LINK ../${TARNELLO_APP_DIR}/tarnello \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/tarnello\" SYMBOLIC)
  set(TARNELLO_BIN \"\${CMAKE_INSTALL_PREFIX}/bin/tarnello\")
  set(TARNELLO_MIME_TYPES \"${TARNELLO_INSTALL_MIME_TYPES}\")
  configure_file(${CMAKE_SOURCE_DIR}/resources/desktop/tarnello.desktop.in
                 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/share/applications/tarnello.desktop\" @ONLY)
  message(STATUS \"Installed: \${app}, \${CMAKE_INSTALL_PREFIX}/bin/tarnello and the desktop entry\")
")
