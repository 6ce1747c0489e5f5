# The print settings dialog and the print command of the window (widgets).
set(PRINT_UI_SOURCES
  src/print/ui/print_form.cpp
  src/print/ui/print_controller.cpp
  src/print/ui/print_command_table.cpp
)
set(PRINT_UI_TESTS
  src/print/ui/print_form_test.cpp
)
