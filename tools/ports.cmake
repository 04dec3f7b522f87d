# kadrant-ports: lists and changes the ComN links of the per-user directory. No Qt; the command
# itself is a library so that the tests run it.
add_library(kadrant_ports_command STATIC
    ${CMAKE_CURRENT_LIST_DIR}/ports/TPortsCommand.cpp ${CMAKE_CURRENT_LIST_DIR}/ports/TPortsCommand.h)
target_include_directories(kadrant_ports_command PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_ports_command PUBLIC kadrant_serial)
set_target_properties(kadrant_ports_command PROPERTIES AUTOMOC OFF)

add_executable(kadrant-ports ${CMAKE_CURRENT_LIST_DIR}/ports/main.cpp)
target_link_libraries(kadrant-ports PRIVATE kadrant_ports_command)
set_target_properties(kadrant-ports PROPERTIES AUTOMOC OFF)
