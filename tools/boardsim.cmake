# The board simulator: a Qt-free core (message parsing, board state, log and its reading back,
# replay, the line: a pseudo-terminal on Linux, a COM port on Windows) that the tests link, and the
# program with its window or headless loop. The core is built without the Qt parts too, so that
# its tests run in every build.
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
    ${_boardsim}/TDotFont.cpp ${_boardsim}/TDotFont.h)
if(WIN32)
    target_sources(kadrant_boardsim_core PRIVATE
        ${_boardsim}/TComPortSource.cpp ${_boardsim}/TComPortSource.h)
    # mingw-w64 declares localtime_r (over localtime_s) only when asked to.
    target_compile_definitions(kadrant_boardsim_core PRIVATE _POSIX_THREAD_SAFE_FUNCTIONS=200112L)
else()
    target_sources(kadrant_boardsim_core PRIVATE ${_boardsim}/TPtyPort.cpp ${_boardsim}/TPtyPort.h)
endif()
target_include_directories(kadrant_boardsim_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_boardsim_core PUBLIC Threads::Threads)
set_target_properties(kadrant_boardsim_core PROPERTIES AUTOMOC OFF)

if(NOT KADRANT_BUILD_GUI)
    return()
endif()

# The live line's feed, one for the windowed and the full-screen board: the view is passed in.
# Linux watches the pseudo-terminal's master; Windows reads the COM port on a thread of its own.
if(WIN32)
    add_library(kadrant_boardsim_feed STATIC
        ${_boardsim}/TBoardComFeed.cpp ${_boardsim}/TBoardComFeed.h ${_boardsim}/TBoardView.h)
else()
    add_library(kadrant_boardsim_feed STATIC
        ${_boardsim}/TBoardLiveFeed.cpp ${_boardsim}/TBoardLiveFeed.h ${_boardsim}/TBoardView.h)
endif()
target_include_directories(kadrant_boardsim_feed PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(kadrant_boardsim_feed PUBLIC kadrant_boardsim_core Qt6::Core)

add_executable(kadrant-boardsim ${_boardsim}/main.cpp
    ${_boardsim}/TBoardSimOptions.h ${_boardsim}/BoardSimLive.h
    ${_boardsim}/TBoardWindow.cpp ${_boardsim}/TBoardWindow.h
    ${_boardsim}/TBoardReplayFeed.cpp ${_boardsim}/TBoardReplayFeed.h)
if(WIN32)
    target_sources(kadrant-boardsim PRIVATE ${_boardsim}/BoardSimLiveWindows.cpp)
    # It loads the Qt DLLs, so it shares their C++ runtime DLLs (CMakeLists.txt).
    set_target_properties(kadrant-boardsim PROPERTIES KADRANT_SHARED_RUNTIME ON)
else()
    target_sources(kadrant-boardsim PRIVATE ${_boardsim}/BoardSimLiveLinux.cpp)
endif()
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
