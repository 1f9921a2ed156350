# Directory scanning for "Search" / "Scan Drive": headless, Qt Core only.
quillon_add_library(q32_scan
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/DirectoryScan.cpp
        ${CMAKE_CURRENT_LIST_DIR}/DirectoryScanJob.cpp
    PUBLIC_LIBS q32_formats Qt6::Core)
