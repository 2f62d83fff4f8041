# The program's artwork: SVG sources in resources/art/, rendered at build time by artrender to PNGs
# or screen pictures of exactly the sizes the windows need, and the shaped windows' stored shape
# data made by shapegen from a rendered picture and its outline (resources/art/*.outline, traced
# by trace_outline.py).
#
# Pictures, as :/chirpel/art/<name>.png, or <name>.rgb32 and <name>.argb32 for the screen pictures
# (OPAQUE and SEE_THROUGH below; frames are side by side, all of one size):
#   body            625 x 390                voice-mail window's WinShape (only as shape data)
#   dashboard       463 x 190                voice-mail window's aDashBoardWinShape (only as shape data)
#   page_default    451 x 196                Book page "Default": imgDefaultPane
#   page_recording  451 x 196                Book page "Recording": ImgDisplay
#   btn_record      360 x 120, 3 of 120x120  imgBtnRecord (up, down, active) for btnRecord
#   btn_play        360 x 120, 3 of 120x120  imgBtnPlay for btnPlay
#   btn_send        360 x 120, 3 of 120x120  imgBtnSend for btnSend
#   btn_stop        360 x 120, 3 of 120x120  imgBtnStop for btnStop
#   btn_close       192 x 64,  3 of 64x64    imgBtnClose for btnClose
#   btn_menu        180 x 60,  3 of 60x60    imgBtnMenu for btnMenu
#   monkey          184 x 92,  2 of 92x92    Image1 for Monkey (0 sitting, 1 waving)
#   bubble          263 x 220                tip bubble's WinShape (only as shape data)
#   bubble_ok       168 x 123                tip bubble's imgOK
#   backdrop        1280 x 800               backdrop's imgBkg (stretched over the screen)
#   icon            96 x 96                  window icon; as a screen picture too, for the backdrop's
#                                            program icon Image1
#   icon256         256 x 256                the same icon for the desktop entry
#   level_face      65 x 105                 level window's ImgBkg (lime cut-out for the level bar)
#   level_close     11 x 11                  level window's btnClose glyph
#   slider_handle   24 x 16                  level window's imgSliderHandle (lime is see-through)
#   slider_track    24 x 68                  level window's imgSliderBkg
#   gsm_on, gsm_off 12 x 12                  recorder panel's imgLightOn / imgLightOff
#   hand_cursor     64 x 64                  the large hand cursor (hot spot at the fingertip)
#   hand_down       64 x 64                  the same while the button is held down
# Shape data, as :/chirpel/shapes/<name>.bin:
#   body       JPEG picture, 2 polygons (outline, heart-shaped hole), bounds (11, 11, 625, 390)
#   dashboard  deflated bitmap, 1 polygon, bounds (18, 13, 463, 190)
#   bubble     plain bitmap, 1 polygon, bounds (2, 2, 263, 220), tail tip at picture (38, 220)
#
# The build tree's copy of the desktop icon is in the global property CHIRPEL_DESKTOP_ICON.

set(_art_src ${CMAKE_CURRENT_SOURCE_DIR}/art)
set(_art_base ${CMAKE_CURRENT_BINARY_DIR}/artwork)
file(MAKE_DIRECTORY ${_art_base}/art ${_art_base}/shapes)
set(_art_files)
set(_screen_files)
# In sanitizer builds the generators run instrumented; what the toolkit keeps until exit is no leak
# of theirs and must not fail the build.
set(_art_run ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0)

# _chirpel_art(<name> <width> <height> [SOURCE <svg name>] [KEY <RRGGBB>] [OPAQUE|SEE_THROUGH]
#              [NO_RESOURCE])
# OPAQUE: a screen picture, art/<name>.rgb32, opaque and ready for the screen as it stands, for the
# pictures the child's window and the shield paint at start; SEE_THROUGH: the same with its
# see-through parts, art/<name>.argb32; otherwise art/<name>.png.
function(_chirpel_art name width height)
  cmake_parse_arguments(ARG "NO_RESOURCE;OPAQUE;SEE_THROUGH" "SOURCE;KEY" "" ${ARGN})
  if(NOT ARG_SOURCE)
    set(ARG_SOURCE ${name})
  endif()
  set(svg ${_art_src}/${ARG_SOURCE}.svg)
  set(file ${name}.png)
  if(ARG_OPAQUE)
    set(file ${name}.rgb32)
  elseif(ARG_SEE_THROUGH)
    set(file ${name}.argb32)
  endif()
  set(picture ${_art_base}/art/${file})
  set(key)
  if(ARG_KEY)
    set(key --key ${ARG_KEY})
  endif()
  add_custom_command(OUTPUT ${picture}
    COMMAND ${_art_run} $<TARGET_FILE:artrender> ${svg} ${picture} ${width} ${height} ${key}
    DEPENDS artrender ${svg}
    COMMENT "Rendering art/${file}"
    VERBATIM)
  if(ARG_OPAQUE OR ARG_SEE_THROUGH)
    set(_screen_files ${_screen_files} ${picture} PARENT_SCOPE)
  elseif(NOT ARG_NO_RESOURCE)
    set(_art_files ${_art_files} ${picture} PARENT_SCOPE)
  endif()
endfunction()

# _chirpel_shape(<name> bitmap|deflated|jpeg): shape data from art/<name>.png and <name>.outline.
function(_chirpel_shape name encoding)
  set(png ${_art_base}/art/${name}.png)
  set(outline ${_art_src}/${name}.outline)
  set(bin ${_art_base}/shapes/${name}.bin)
  add_custom_command(OUTPUT ${bin}
    COMMAND ${_art_run} $<TARGET_FILE:shapegen> --picture ${png} --outline ${outline} --encoding ${encoding} --out ${bin}
    DEPENDS shapegen ${png} ${outline}
    COMMENT "Building shapes/${name}.bin"
    VERBATIM)
  set(_art_files ${_art_files} ${bin} PARENT_SCOPE)
endfunction()

# The shaped pictures travel inside their shape data only.
_chirpel_art(body 625 390 NO_RESOURCE)
_chirpel_art(dashboard 463 190 NO_RESOURCE)
_chirpel_art(bubble 263 220 NO_RESOURCE)

_chirpel_art(page_default 451 196 OPAQUE)
_chirpel_art(page_recording 451 196 OPAQUE)
_chirpel_art(btn_record 360 120 OPAQUE)
_chirpel_art(btn_play 360 120 OPAQUE)
_chirpel_art(btn_send 360 120 OPAQUE)
_chirpel_art(btn_stop 360 120 OPAQUE)
_chirpel_art(btn_close 192 64 OPAQUE)
_chirpel_art(btn_menu 180 60 OPAQUE)
_chirpel_art(monkey 184 92 OPAQUE)
_chirpel_art(bubble_ok 168 123)
_chirpel_art(backdrop 1280 800 OPAQUE)
_chirpel_art(icon 96 96)
_chirpel_art(icon 96 96 SEE_THROUGH)
_chirpel_art(icon256 256 256 SOURCE icon)
_chirpel_art(level_face 65 105 KEY 00ff00)
_chirpel_art(level_close 11 11)
_chirpel_art(slider_handle 24 16 KEY 00ff00)
_chirpel_art(slider_track 24 68)
_chirpel_art(gsm_on 12 12)
_chirpel_art(gsm_off 12 12)
_chirpel_art(hand_cursor 64 64 SEE_THROUGH)
_chirpel_art(hand_down 64 64 SEE_THROUGH)

# The tools folder is added after this one, so its targets cannot be asked for yet; the generator's
# source decides whether the shape data can be built.
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/shapegen/CMakeLists.txt)
  _chirpel_shape(body jpeg)
  _chirpel_shape(dashboard deflated)
  _chirpel_shape(bubble bitmap)
else()
  message(WARNING "tools/shapegen is missing: the shaped windows' shape data is not built")
endif()

set_property(GLOBAL PROPERTY CHIRPEL_DESKTOP_ICON ${_art_base}/art/icon256.png)

# Not compressed again: the pictures are PNG already, and the screen pictures are shown from
# where the program keeps them, which needs them uncompressed.
qt_add_resources(chirpel_resources art PREFIX "/chirpel" BASE ${_art_base} FILES ${_art_files}
  OPTIONS --no-compress)
# The screen pictures in a resource of their own: each file is a whole number of 32-bit words, so
# every one's pixels start on a word boundary and are shown where they lie, not copied.
qt_add_resources(chirpel_resources screen_pictures PREFIX "/chirpel" BASE ${_art_base} FILES ${_screen_files}
  OPTIONS --no-compress)
