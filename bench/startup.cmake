# The start-up baseline for bench/startup.sh: a plain Qt window linking Qt Widgets only, so that
# chirpel's start-up is compared with what any Qt program pays.
add_executable(minimal_window ${CMAKE_CURRENT_SOURCE_DIR}/MinimalWindow.cpp)
target_link_libraries(minimal_window PRIVATE Qt6::Widgets chirpel_warnings)
# The first-paint exit is the program's own, header only.
target_include_directories(minimal_window PRIVATE ${PROJECT_SOURCE_DIR})
