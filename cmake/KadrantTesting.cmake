# kadrant_add_gtest(name SOURCES src... LIBS lib... [QT] [GUI] [MAIN src] [DEPENDS target...]
#                   [DEFINITIONS def...]): one GoogleTest program whose cases are registered with
# ctest.
#   QT           a main that creates a QApplication (tests/support/QtTestMain.cpp, or MAIN);
#                widget tests run on Qt's offscreen platform, so no display is needed.
#   GUI          the program needs the Qt parts of the project. QT implies it. Without
#                KADRANT_BUILD_GUI such a program is not built, nor on Windows (its Qt has no
#                QtTest; the window's checks there are the installed program's, under Wine):
#                this is the one place that decides.
#   MAIN         with QT: a main of the test's own in place of tests/support/QtTestMain.cpp.
#   DEPENDS      targets built before the test program (a program that the tests start).
#   DEFINITIONS  compile definitions of the test program.
# Every test program gets KADRANT_TIME_SCALE (kadrant_time_scale), by which the waits of tests/support/ stretch.
function(kadrant_add_gtest name)
    cmake_parse_arguments(ARG "QT;GUI" "MAIN" "SOURCES;LIBS;DEPENDS;DEFINITIONS" ${ARGN})
    if((ARG_QT OR ARG_GUI) AND (NOT KADRANT_BUILD_GUI OR WIN32))
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(ARG_QT)
        if(NOT ARG_MAIN)
            set(ARG_MAIN ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
        endif()
        target_sources(${name} PRIVATE ${ARG_MAIN})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Widgets Qt6::Test GTest::gtest GTest::gmock)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    endif()
    if(WIN32)
        # tests/support/PtyLineWine.h reaches the pseudo-terminals' helper over loopback.
        target_link_libraries(${name} PRIVATE ws2_32)
    endif()
    if(ARG_DEPENDS)
        add_dependencies(${name} ${ARG_DEPENDS})
    endif()
    target_link_libraries(${name} PRIVATE kadrant_time_scale)
    target_compile_definitions(${name} PRIVATE ${ARG_DEFINITIONS})
    # One value per property: gtest_discover_tests splits a value at ';', which silently turned
    # the second variable and the time-out into property names of their own.
    # A cross build lists its cases when ctest runs (under Wine), not while it builds.
    set(mode POST_BUILD)
    if(CMAKE_CROSSCOMPILING)
        set(mode PRE_TEST)
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE ${mode}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   ENVIRONMENT_MODIFICATION "TSAN_OPTIONS=set:halt_on_error=1 second_deadlock_stack=1 suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp"
                   TIMEOUT 300)
endfunction()
