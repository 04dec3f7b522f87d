# Kadrant's pictures and icon, embedded with Qt's resource system and looked up by numeric id.
if(KADRANT_BUILD_GUI)
    add_library(kadrant_resources STATIC PictureIds.h Pictures.h Pictures.cpp)
    target_include_directories(kadrant_resources PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(kadrant_resources PUBLIC Qt6::Gui)
    # The target form links the resource objects into every executable that links the library.
    qt_add_resources(kadrant_resources kadrant_pictures
        PREFIX "/kadrant"
        FILES
            pictures/10-32.png
            pictures/10-64.png
            pictures/115.png
            pictures/116.png
            pictures/117.png
            pictures/119.png
            pictures/120.png
            pictures/121.png
            pictures/122.png
            pictures/123.png
            pictures/124.png
            pictures/plug-16.png
            pictures/plug-32.png
            pictures/plug-absent-16.png
            pictures/plug-absent-32.png)
endif()
