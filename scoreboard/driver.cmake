# The scoreboard driver, its message formats and its sending thread: no Qt.
add_library(kadrant_scoreboard STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TScbDriver.cpp ${CMAKE_CURRENT_LIST_DIR}/TScbDriver.h
    ${CMAKE_CURRENT_LIST_DIR}/TScbThread.cpp ${CMAKE_CURRENT_LIST_DIR}/TScbThread.h
    ${CMAKE_CURRENT_LIST_DIR}/TScbMessage.cpp ${CMAKE_CURRENT_LIST_DIR}/TScbMessage.h)
target_include_directories(kadrant_scoreboard PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_scoreboard PUBLIC kadrant_serial kadrant_temps Threads::Threads)
set_target_properties(kadrant_scoreboard PROPERTIES AUTOMOC OFF)
