# The export dialogs and the exchange commands of the window (widgets).
set(EXCHANGE_UI_SOURCES
  src/exchange/ui/save_text_form.cpp
  src/exchange/ui/html_form.cpp
  src/exchange/ui/tex_form.cpp
  src/exchange/ui/exchange_controller.cpp
  src/exchange/ui/html_images.cpp
  src/exchange/ui/exchange_command_table.cpp
)
set(EXCHANGE_UI_TESTS
  src/exchange/ui/export_forms_test.cpp
  src/exchange/ui/exchange_window_test.cpp
)
