# The settings record and its file "config.dat": POSIX file calls and the standard library only.
add_library(kadrant_settings STATIC
    ${CMAKE_CURRENT_LIST_DIR}/TSFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp)
target_include_directories(kadrant_settings PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(kadrant_settings PROPERTIES AUTOMOC OFF)
