# Remote bridge figures: kadrant-remote as its own process, over HTTP on 127.0.0.1, against a
# stand-in for Kadrant's control socket. Also serves that stand-in alone (--demo) for the page's
# screenshot.
if(TARGET kadrant-remote)
    add_executable(remote_bench ${CMAKE_CURRENT_LIST_DIR}/remote_bench.cpp)
    target_include_directories(remote_bench PRIVATE ${PROJECT_SOURCE_DIR})
    target_link_libraries(remote_bench PRIVATE kadrant_remote_core)
    set_target_properties(remote_bench PROPERTIES AUTOMOC OFF)
endif()
