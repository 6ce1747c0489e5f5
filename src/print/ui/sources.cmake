# Drawing a print layout with Qt (QtGui only): the measuring, the sheets, PDF.  Linked into the
# print widgets and into the command line tool.
set(PRINT_RENDER_SOURCES
  src/print/ui/print_render.cpp
  src/print/ui/print_pdf.cpp
  src/print/ui/print_text.cpp
  src/print/ui/vertical_forms.cpp
)
set(PRINT_RENDER_TESTS
  src/print/ui/print_render_test.cpp
)
# The print settings dialog and the print command of the window (widgets).
set(PRINT_UI_SOURCES
  src/print/ui/print_form.cpp
  src/print/ui/print_controller.cpp
  src/print/ui/print_preview_form.cpp
  src/print/ui/print_command_table.cpp
)
set(PRINT_UI_TESTS
  src/print/ui/print_form_test.cpp
  src/print/ui/print_preview_test.cpp
)
