# The format table: code to name and the stored format text. Headless, Qt Core only.
quillon_add_library(q32_formats
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormatTable.cpp
    PUBLIC_LIBS Qt6::Core)
