# Shared build helpers: the warnings target and the per-folder library pattern.

add_library(chirpel_warnings INTERFACE)
target_compile_options(chirpel_warnings INTERFACE -Wall -Wextra -Wpedantic)
if(CHIRPEL_WERROR)
  target_compile_options(chirpel_warnings INTERFACE -Werror)
endif()

# chirpel_folder_library(<name> [NO_QT] [DEPS ...] [EXCLUDE ...])
# One static library per subsystem folder: every .cpp/.h/.ui in the folder (not in subfolders),
# then every *.cmake fragment in the folder is included, so a unit that needs generated
# resources or extra links brings its own fragment without touching this file. NO_QT keeps Qt
# off the library's link line, for units that command-line tools link without the toolkit.
function(chirpel_folder_library name)
  cmake_parse_arguments(ARG "NO_QT" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h ${CMAKE_CURRENT_SOURCE_DIR}/*.ui)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM srcs ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  if(NOT srcs)
    # A folder whose units have not landed yet still yields a library others can link.
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp "// no units yet\n")
    set(srcs ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  if(ARG_NO_QT)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE chirpel_warnings)
  else()
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} Qt6::Core Qt6::Gui Qt6::Widgets PRIVATE chirpel_warnings)
  endif()
endfunction()

# Include every *.cmake fragment of the calling folder, in name order.
macro(chirpel_include_fragments)
  file(GLOB _frags CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _frags)
  foreach(_f IN LISTS _frags)
    include(${_f})
  endforeach()
endmacro()
