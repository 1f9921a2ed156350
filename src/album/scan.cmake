# Directory scanning for "Search" / "Scan Drive": headless.
quillon_add_library(q32_scan
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DirectoryScan.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DirectoryScanJob.cpp
    PUBLIC_LIBS q32_formats q32_common Qt6::Core)
