# The timing functions and their clock: no window toolkit, so the tests drive them directly.
add_library(kadrant_timing STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TTimingFunctions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TCountRule.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TClock.cpp)
target_include_directories(kadrant_timing PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_timing PUBLIC kadrant_temps)
set_target_properties(kadrant_timing PROPERTIES AUTOMOC OFF)

if(KADRANT_BUILD_GUI)
    # The count-down's sound, played through Qt Multimedia.
    add_library(kadrant_sound STATIC
        ${CMAKE_CURRENT_LIST_DIR}/TQtSoundPlayer.cpp
        ${CMAKE_CURRENT_LIST_DIR}/TQtSoundPlayer.h)
    target_include_directories(kadrant_sound PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(kadrant_sound PUBLIC Qt6::Multimedia Qt6::Widgets)
endif()

# The timing functions' board on the scoreboard driver.
add_library(kadrant_driver_board STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TDriverBoard.cpp ${CMAKE_CURRENT_LIST_DIR}/TDriverBoard.h)
target_include_directories(kadrant_driver_board PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_driver_board PUBLIC kadrant_scoreboard)
set_target_properties(kadrant_driver_board PROPERTIES AUTOMOC OFF)

# The run state kept beside "config.dat" so that a crash does not end the count: its file, the
# arithmetic that takes a run back, and the keeper between them and the timing functions. No
# window toolkit.
add_library(kadrant_runstate STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TRunState.cpp ${CMAKE_CURRENT_LIST_DIR}/TRunState.h
    ${CMAKE_CURRENT_LIST_DIR}/TRunFile.cpp ${CMAKE_CURRENT_LIST_DIR}/TRunFile.h
    ${CMAKE_CURRENT_LIST_DIR}/TRunResume.cpp ${CMAKE_CURRENT_LIST_DIR}/TRunResume.h
    ${CMAKE_CURRENT_LIST_DIR}/TRunKeeper.cpp ${CMAKE_CURRENT_LIST_DIR}/TRunKeeper.h
    ${CMAKE_CURRENT_LIST_DIR}/TWallClock.h)
target_include_directories(kadrant_runstate PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_runstate PUBLIC kadrant_timing)
set_target_properties(kadrant_runstate PROPERTIES AUTOMOC OFF)
