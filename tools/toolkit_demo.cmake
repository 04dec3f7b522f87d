# A demo dialog built from the toolkit, for the toolkit's screenshot.
if(KADRANT_BUILD_GUI)
    add_executable(kadrant_toolkit_demo ${CMAKE_CURRENT_LIST_DIR}/toolkit-demo/main.cpp)
    target_link_libraries(kadrant_toolkit_demo PRIVATE kadrant_toolkit kadrant_templates)
endif()
