# Sources of the image side, listed here so the folder can grow without touching the root file.
# Paths are relative to the project root.
set(IMAGES_CORE_SOURCES
  src/images/image_list.cpp
  src/images/image_geometry.cpp
  src/images/image_search_path.cpp
)
set(IMAGES_CORE_TESTS
  src/images/image_list_test.cpp
  src/images/image_search_path_test.cpp
)
set(IMAGES_UI_SOURCES
  src/images/ui/image_side.cpp
  src/images/ui/image_commands.cpp
  src/images/ui/picture_canvas.cpp
  src/images/ui/picture_loader.cpp
  src/images/ui/picture_save.cpp
  src/images/ui/image_dialogs.cpp
  src/images/ui/images_command_table.cpp
)
set(IMAGES_UI_TESTS
  src/images/ui/image_side_test.cpp
  src/images/ui/picture_loader_test.cpp
)
