# Time values: splitting, formatting and parsing millisecond counts. Standard library only.
add_library(kadrant_temps STATIC ${CMAKE_CURRENT_LIST_DIR}/TTemps.cpp)
target_include_directories(kadrant_temps PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(kadrant_temps PROPERTIES AUTOMOC OFF)
