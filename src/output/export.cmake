# Export: the formats offered, the save-options and stamp-size logic and the export itself
# (headless, q32_export), and their windows (q32_export_ui).
quillon_add_library(q32_export
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/ExportFormats.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ExportJob.cpp
        ${CMAKE_CURRENT_LIST_DIR}/JpegStamp.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ResizeModel.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SaveOptionsModel.cpp
    PUBLIC_LIBS q32_common q32_formats q32_imaging Qt6::Core Qt6::Gui)

quillon_add_library(q32_export_ui
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/ResizeWindow.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SaveOptionsWindow.cpp
    PUBLIC_LIBS q32_export Qt6::Widgets)

target_link_libraries(q32_output INTERFACE q32_export_ui)
