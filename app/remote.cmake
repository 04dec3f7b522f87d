# The control socket's line protocol: no window toolkit and no socket, so that tests and the
# fuzzer read lines and commands directly.
add_library(kadrant_remote_protocol STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TRemoteProtocol.cpp ${CMAKE_CURRENT_LIST_DIR}/TRemoteProtocol.h)
target_include_directories(kadrant_remote_protocol PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(kadrant_remote_protocol PROPERTIES AUTOMOC OFF)

# The push-button keys and the control socket belong to the main window (declared in main.cmake,
# which app/CMakeLists.txt includes first).
if(KADRANT_BUILD_GUI)
    target_sources(kadrant_mainwindow PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/TPushKeys.cpp ${CMAKE_CURRENT_LIST_DIR}/TPushKeys.h
        ${CMAKE_CURRENT_LIST_DIR}/TControlSocket.cpp ${CMAKE_CURRENT_LIST_DIR}/TControlSocket.h
        ${CMAKE_CURRENT_LIST_DIR}/TRemoteControl.cpp ${CMAKE_CURRENT_LIST_DIR}/TRemoteControl.h)
    target_link_libraries(kadrant_mainwindow PUBLIC kadrant_remote_protocol)
endif()
