# Driver figures: QueueText cost and QueueText-to-arrival delay on a pseudo-terminal.
add_executable(driver_bench ${CMAKE_CURRENT_LIST_DIR}/driver_bench.cpp)
target_link_libraries(driver_bench PRIVATE kadrant_scoreboard)
set_target_properties(driver_bench PROPERTIES AUTOMOC OFF)
