# The board simulator: a Qt-free core (message parsing, board state, log and its reading back,
# replay, pseudo-terminal) that the tests link, and the program with its window or headless loop.
set(_boardsim ${CMAKE_CURRENT_LIST_DIR}/boardsim)
add_library(kadrant_boardsim_core STATIC
    ${_boardsim}/TBoardMessageParser.cpp ${_boardsim}/TBoardMessageParser.h
    ${_boardsim}/TBoardLines.cpp ${_boardsim}/TBoardLines.h
    ${_boardsim}/TBoardLog.cpp ${_boardsim}/TBoardLog.h
    ${_boardsim}/TBoardLogReader.cpp ${_boardsim}/TBoardLogReader.h
    ${_boardsim}/TBoardLogSummary.cpp ${_boardsim}/TBoardLogSummary.h
    ${_boardsim}/TBoardLogPrinter.cpp ${_boardsim}/TBoardLogPrinter.h
    ${_boardsim}/TBoardReplay.cpp ${_boardsim}/TBoardReplay.h
    ${_boardsim}/TBoardSession.cpp ${_boardsim}/TBoardSession.h
    ${_boardsim}/TPtyPort.cpp ${_boardsim}/TPtyPort.h
    ${_boardsim}/TDotFont.cpp ${_boardsim}/TDotFont.h)
target_include_directories(kadrant_boardsim_core PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(kadrant_boardsim_core PROPERTIES AUTOMOC OFF)

# The live line's feed, one for the windowed and the full-screen board: the view is passed in.
add_library(kadrant_boardsim_feed STATIC
    ${_boardsim}/TBoardLiveFeed.cpp ${_boardsim}/TBoardLiveFeed.h ${_boardsim}/TBoardView.h)
target_include_directories(kadrant_boardsim_feed PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_boardsim_feed PUBLIC kadrant_boardsim_core Qt6::Core)

add_executable(kadrant-boardsim ${_boardsim}/main.cpp
    ${_boardsim}/TBoardWindow.cpp ${_boardsim}/TBoardWindow.h
    ${_boardsim}/TBoardReplayFeed.cpp ${_boardsim}/TBoardReplayFeed.h)
target_include_directories(kadrant-boardsim PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant-boardsim PRIVATE kadrant_boardsim_feed Qt6::Widgets)

# The board on a TV: the full-screen window and its layout, built into the simulator
# (`kadrant-boardsim --fullscreen`, fed by the live feed above) and linked by their tests.
add_library(kadrant_tvboard STATIC
    ${_boardsim}/TTvLayout.cpp ${_boardsim}/TTvLayout.h
    ${_boardsim}/TTvBoardWindow.cpp ${_boardsim}/TTvBoardWindow.h)
target_include_directories(kadrant_tvboard PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_tvboard PUBLIC kadrant_boardsim_core Qt6::Widgets)
target_link_libraries(kadrant-boardsim PRIVATE kadrant_tvboard)
