# The board on a TV: its CPU time over a long running count.
if(TARGET kadrant-boardsim)
    add_executable(tvboard_bench ${CMAKE_CURRENT_LIST_DIR}/tvboard_bench.cpp)
    target_link_libraries(tvboard_bench PRIVATE kadrant_scoreboard)
    set_target_properties(tvboard_bench PROPERTIES AUTOMOC OFF)
endif()
