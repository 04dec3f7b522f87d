# The board on a TV: the full-screen window and its layout, built into the simulator
# (`kadrant-boardsim --fullscreen`, fed by the live feed of boardsim.cmake) and linked by their
# tests.
set(_boardsim ${CMAKE_CURRENT_LIST_DIR}/boardsim)
add_library(kadrant_tvboard STATIC
    ${_boardsim}/TTvLayout.cpp ${_boardsim}/TTvLayout.h
    ${_boardsim}/TTvBoardWindow.cpp ${_boardsim}/TTvBoardWindow.h)
target_include_directories(kadrant_tvboard PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_tvboard PUBLIC kadrant_boardsim_core Qt6::Widgets)
target_compile_options(kadrant_tvboard PRIVATE -Wshadow -Wnon-virtual-dtor -Wpedantic)
target_link_libraries(kadrant-boardsim PRIVATE kadrant_tvboard)
