# Wire latency of the timing path: counted second to the last byte at the board's end.
add_executable(wire_latency_bench ${CMAKE_CURRENT_LIST_DIR}/wire_latency_bench.cpp)
target_link_libraries(wire_latency_bench PRIVATE kadrant_timing kadrant_driver_board)
set_target_properties(wire_latency_bench PROPERTIES AUTOMOC OFF)
