# The push-button keys and the control socket belong to the main window (declared in main.cmake,
# which app/CMakeLists.txt includes first); the socket's line protocol is control/'s.
if(KADRANT_BUILD_GUI)
    target_sources(kadrant_mainwindow PRIVATE
        ${CMAKE_CURRENT_LIST_DIR}/TPushKeys.cpp ${CMAKE_CURRENT_LIST_DIR}/TPushKeys.h
        ${CMAKE_CURRENT_LIST_DIR}/TControlSocket.cpp ${CMAKE_CURRENT_LIST_DIR}/TControlSocket.h
        ${CMAKE_CURRENT_LIST_DIR}/TRemoteControl.cpp ${CMAKE_CURRENT_LIST_DIR}/TRemoteControl.h)
    target_link_libraries(kadrant_mainwindow PUBLIC kadrant_control)
endif()
