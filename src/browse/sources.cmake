# Sources of page browsing, listed here so the folder can grow without touching the root file.
# Paths are relative to the project root.
set(BROWSE_CORE_SOURCES
  src/browse/page_selection.cpp
  src/browse/page_history.cpp
  src/search/date_find.cpp
)
set(BROWSE_UI_SOURCES
  src/browse/ui/navigator.cpp
  src/browse/ui/navigator_history.cpp
  src/browse/ui/page_selector.cpp
  src/browse/ui/header_fields.cpp
  src/browse/ui/page_commands.cpp
  src/browse/ui/add_page_form.cpp
  src/browse/ui/date_range_input_box.cpp
  src/browse/ui/page_list_form.cpp
)
set(BROWSE_CORE_TESTS
  src/browse/page_selection_test.cpp
  src/browse/page_history_test.cpp
  src/search/date_find_test.cpp
)
set(BROWSE_UI_TESTS
  src/browse/ui/add_page_form_test.cpp
  src/browse/ui/date_range_input_box_test.cpp
  src/browse/ui/page_list_form_test.cpp
  src/browse/ui/navigator_test.cpp
)
