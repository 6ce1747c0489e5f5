# Sources of the text editor, listed here so the editor can grow without touching the root file.
# Paths are relative to the project root.
set(EDITOR_CORE_SOURCES
  src/editor/text_positions.cpp
)
set(EDITOR_UI_SOURCES
  src/editor/ui/text_area.cpp
  src/editor/ui/field_edit.cpp
)
set(EDITOR_CORE_TESTS
  src/editor/text_positions_test.cpp
)
set(EDITOR_UI_TESTS
  src/editor/ui/text_area_test.cpp
  src/editor/ui/field_edit_test.cpp
)
