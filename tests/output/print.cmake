# Printing: the preview arithmetic, the window, real CUPS, contact sheets.
quillon_add_test(tst_printlayout SOURCES tst_printlayout.cpp LIBS q32_print)
quillon_add_test(tst_printcups SOURCES tst_printcups.cpp LIBS q32_print q32_printer LABELS cups
                 TIMEOUT 180)
# With CUPS_SERVER naming no server, the window meets a machine without a printer.
quillon_add_test(tst_printwindow SOURCES tst_printwindow.cpp LIBS q32_print_ui)
set_property(TEST tst_printwindow APPEND PROPERTY ENVIRONMENT
             "CUPS_SERVER=${CMAKE_CURRENT_BINARY_DIR}/no-cups-here.sock")
quillon_add_test(tst_printsheet SOURCES tst_printsheet.cpp LIBS q32_print_ui LABELS threads)
