# The search and replace of the window (widgets).
set(SEARCH_UI_SOURCES
  src/search/ui/find_form.cpp
  src/search/ui/replace_form.cpp
  src/search/ui/search_controller.cpp
  src/search/ui/replace_run.cpp
  src/search/ui/search_command_table.cpp
)
set(SEARCH_UI_TESTS
  src/search/ui/search_window_test.cpp
)
