# The record commands and the outside image editor: headless (Qt Core/Gui), shown by the main
# window through a RecordSite.
quillon_add_library(q32_records
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/ImageEditor.cpp
        ${CMAKE_CURRENT_LIST_DIR}/RecordCommands.cpp
        ${CMAKE_CURRENT_LIST_DIR}/ToolStates.cpp
    PUBLIC_LIBS q32_add q32_export q32_common q32_platform)
