# Printing: the Print Preview window and contact sheets.
#   q32_print     headless: the preview arithmetic, drawing pictures and sheets onto pages
#   q32_print_ui  the windows
quillon_add_library(q32_print
    SOURCES
        ContactSheet.cpp
        PrintLayout.cpp
        PrintRender.cpp
        PrintRun.cpp
    PUBLIC_LIBS q32_common q32_album q32_formats q32_imaging Qt6::Core Qt6::Gui)

quillon_add_library(q32_print_ui
    SOURCES
        ContactSheetWindow.cpp
        PrintPreviewSheet.cpp
        PrintPreviewWindow.cpp
    PUBLIC_LIBS q32_print q32_printer q32_platform_ui Qt6::Widgets)

target_link_libraries(q32_output INTERFACE q32_print_ui)
