# Sources of the searches, listed here so the folder can grow without touching the root file.
# Paths are relative to the project root.
set(SEARCH_CORE_SOURCES
  src/search/date_find.cpp
  src/search/find_history.cpp
  src/search/find_scan.cpp
  src/search/page_search.cpp
  src/search/replace_text.cpp
)
set(SEARCH_CORE_TESTS
  src/search/date_find_test.cpp
  src/search/find_scan_test.cpp
  src/search/page_search_test.cpp
  src/search/replace_text_test.cpp
)
