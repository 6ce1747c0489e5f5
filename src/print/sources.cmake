# Sources of printing, listed here so the folder can grow without touching the root file.
# Paths are relative to the project root.
set(PRINT_CORE_SOURCES
  src/print/print_geometry.cpp
  src/print/text_measure.cpp
  src/print/line_layout.cpp
  src/print/print_flow.cpp
  src/print/print_settings.cpp
  src/print/preview_plan.cpp
  src/print/sheet_plan.cpp
  src/print/print_pages.cpp
)
set(PRINT_CORE_TESTS
  src/print/print_layout_test.cpp
  src/print/print_flow_test.cpp
  src/print/preview_plan_test.cpp
  src/print/sheet_plan_test.cpp
  src/print/print_pages_test.cpp
)
