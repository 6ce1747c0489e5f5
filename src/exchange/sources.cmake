# Sources of the exports and imports, listed here so the folder can grow without touching the root
# file.  Paths are relative to the project root.
set(EXCHANGE_CORE_SOURCES
  src/exchange/export_format.cpp
  src/exchange/export_run.cpp
  src/exchange/page_transfer.cpp
  src/exchange/text_import.cpp
)
set(EXCHANGE_CORE_TESTS
  src/exchange/export_format_test.cpp
  src/exchange/export_render_test.cpp
  src/exchange/export_run_test.cpp
  src/exchange/page_transfer_test.cpp
  src/exchange/text_import_test.cpp
)
