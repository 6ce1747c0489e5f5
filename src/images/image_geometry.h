// The arithmetic of the image areas: which picture goes first, and where and how large a picture
// is drawn in an area in each display mode.
#pragma once

namespace sk::images {

// ImageStep values: the move applied at the next full draw.
enum ImageStepValue {
  kStepNone = 0,
  kStepNext = 1,
  kStepPrior = -1,
  kStepNextTwo = 2,
  kStepPriorTwo = -2,
  kStepToEnd = 3,
  kStepToFirst = 4,
};

// The index shown in area 1 at a draw of a list of `count` (> 0) names.  When *restore_image_num
// >= 0 it wins (0 when it is not below count) and becomes -1; otherwise `image_step` is applied to
// `image_num` with the wrap rules (two_areas: "ImageForm" is not 0).
int ChooseImageNum(int image_num, int image_step, int* restore_image_num, int count,
                   bool two_areas);

// Display modes ("ImageAction").
enum ImageMode { kModeFit = 0, kModeNormal = 1, kModeShrink = 2 };

// Where a picture of w x h goes in an area of area_w x area_h, in `mode`; screen_w x screen_h is
// the first monitor, which bounds a picture drawn at its natural size.
struct Placement {
  int x = 0, y = 0;           // offset of the picture in the area
  int width = 0, height = 0;  // drawn size
  bool scaled = false;        // drawn at another size than w x h
  bool natural = false;       // the natural branch: scroll bars shown, automatic scrolling on
};
Placement PlacePicture(int mode, int area_w, int area_h, int w, int h, int screen_w, int screen_h);

}  // namespace sk::images
