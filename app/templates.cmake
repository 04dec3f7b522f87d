# The main dialog's template (data for the toolkit's dialog base). An object library, so that every program linking
# it gets the templates registered at start-up without naming them.
if(KADRANT_BUILD_GUI)
    add_library(kadrant_templates OBJECT ${CMAKE_CURRENT_LIST_DIR}/MainDialogTemplate.cpp
                                         ${CMAKE_CURRENT_LIST_DIR}/MainDialogTemplate.h
                                         ${CMAKE_CURRENT_LIST_DIR}/TMainControls.h)
    target_include_directories(kadrant_templates PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(kadrant_templates PUBLIC kadrant_toolkit)
    set_target_properties(kadrant_templates PROPERTIES AUTOMOC OFF)
endif()
