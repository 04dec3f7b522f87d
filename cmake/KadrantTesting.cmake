# kadrant_add_gtest(name SOURCES src... LIBS lib... [QT]): one GoogleTest program whose cases are
# registered with ctest. QT gives it a main that creates a QApplication; widget tests run on Qt's
# offscreen platform, so no display is needed.
function(kadrant_add_gtest name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    if(ARG_QT)
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Widgets Qt6::Test GTest::gtest GTest::gmock)
    else()
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    endif()
    # One value per property: gtest_discover_tests splits a value at ';', which silently turned
    # the second variable and the time-out into property names of their own.
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   ENVIRONMENT_MODIFICATION "TSAN_OPTIONS=set:halt_on_error=1 second_deadlock_stack=1 suppressions=${PROJECT_SOURCE_DIR}/tests/tsan.supp"
                   TIMEOUT 300)
endfunction()
