# The file browser: the type-box patterns and drives (headless, also used by Add Images) and the
# DriveAssignments window.
quillon_add_library(q32_filebrowser
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/FileBrowserDrives.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FileBrowserPatterns.cpp
        ${CMAKE_CURRENT_LIST_DIR}/FileBrowserSession.cpp
    PUBLIC_LIBS q32_common q32_formats q32_scan q32_imaging Qt6::Core Qt6::Gui)

quillon_add_library(q32_filebrowser_ui
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FileBrowser.cpp
    PUBLIC_LIBS q32_filebrowser Qt6::Widgets)
