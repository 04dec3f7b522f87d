# The main window and the program.
if(KADRANT_BUILD_GUI)
    add_library(kadrant_mainwindow STATIC
        ${CMAKE_CURRENT_LIST_DIR}/TDialogKD.cpp ${CMAKE_CURRENT_LIST_DIR}/TDialogKD.h
        ${CMAKE_CURRENT_LIST_DIR}/TApp.cpp ${CMAKE_CURRENT_LIST_DIR}/TApp.h
        ${CMAKE_CURRENT_LIST_DIR}/TProgramObjects.h
        ${CMAKE_CURRENT_LIST_DIR}/TPortsWatch.cpp ${CMAKE_CURRENT_LIST_DIR}/TPortsWatch.h
        ${CMAKE_CURRENT_LIST_DIR}/TTerminationSignals.cpp ${CMAKE_CURRENT_LIST_DIR}/TTerminationSignals.h)
    target_include_directories(kadrant_mainwindow PUBLIC ${PROJECT_SOURCE_DIR})
    # The stop's grace (TApp) follows how much slower a sanitizer build runs.
    target_compile_definitions(kadrant_mainwindow PRIVATE ${KADRANT_TIME_SCALE_DEFINITION})
    target_link_libraries(kadrant_mainwindow PUBLIC
        kadrant_templates kadrant_toolkit kadrant_windows kadrant_resources
        kadrant_timing kadrant_runstate kadrant_sound kadrant_driver_board kadrant_scoreboard kadrant_settings)

    add_executable(kadrant ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
    target_link_libraries(kadrant PRIVATE kadrant_mainwindow)
endif()
