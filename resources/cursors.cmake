# The two large hand cursors, compiled in as ":/chirpel/HAND_CURSOR" and ":/chirpel/HAND_DOWN"
# (SVG pictures, drawn at 64 x 64 when the kid profile installs them).
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/cursors/HAND_CURSOR.svg PROPERTIES QT_RESOURCE_ALIAS HAND_CURSOR)
set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/cursors/HAND_DOWN.svg PROPERTIES QT_RESOURCE_ALIAS HAND_DOWN)
qt_add_resources(chirpel_resources chirpel_cursors PREFIX "/chirpel"
  FILES ${CMAKE_CURRENT_SOURCE_DIR}/cursors/HAND_CURSOR.svg ${CMAKE_CURRENT_SOURCE_DIR}/cursors/HAND_DOWN.svg)
