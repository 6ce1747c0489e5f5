# Sources of the text editor, listed here so the editor can grow without touching the root file.
# Paths are relative to the project root.
set(EDITOR_CORE_SOURCES
  src/editor/text_positions.cpp
  src/editor/undo_list.cpp
  src/editor/text_layout.cpp
  src/editor/highlight_scan.cpp
  src/editor/links.cpp
)
set(EDITOR_UI_SOURCES
  src/editor/ui/text_area.cpp
  src/editor/ui/field_edit.cpp
  src/editor/ui/highlighter.cpp
  src/editor/ui/text_editor.cpp
  src/editor/ui/editor_typing.cpp
  src/editor/ui/editor_clipboard.cpp
)
set(EDITOR_CORE_TESTS
  src/editor/text_positions_test.cpp
  src/editor/undo_list_test.cpp
  src/editor/highlight_scan_test.cpp
  src/editor/links_test.cpp
)
set(EDITOR_UI_TESTS
  src/editor/ui/text_area_test.cpp
  src/editor/ui/field_edit_test.cpp
  src/editor/ui/text_editor_test.cpp
)
