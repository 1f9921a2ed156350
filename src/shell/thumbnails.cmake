# The thumbnail view's model and the worker that reads and makes its thumbnails: headless
# (Qt Core/Gui), shown by the main window through a ThumbnailPane.
quillon_add_library(q32_thumbnails
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/ThumbnailModel.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ThumbnailSource.cpp
    PUBLIC_LIBS q32_add q32_album Qt6::Gui)
