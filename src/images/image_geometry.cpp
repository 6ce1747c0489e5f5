#include "images/image_geometry.h"

#include <algorithm>

namespace sk::images {

int ChooseImageNum(int image_num, int image_step, int* restore_image_num, int count,
                   bool two_areas) {
  if (count <= 0) return 0;
  if (restore_image_num && *restore_image_num >= 0) {
    int n = *restore_image_num < count ? *restore_image_num : 0;
    *restore_image_num = -1;
    return n;
  }
  switch (image_step) {
    case kStepToEnd:
      return two_areas ? std::max(0, count - 2) : count - 1;
    case kStepToFirst:
      return 0;
    default:
      break;
  }
  int n = image_num + image_step;
  if (n == count) return 0;
  if (n > count) return count == 1 ? 0 : 1;
  if (n == -1) return count - 1;
  if (n < -1) return count == 1 ? 0 : count - 2;
  return n;
}

Placement PlacePicture(int mode, int area_w, int area_h, int w, int h, int screen_w, int screen_h) {
  Placement p;
  if (w <= 0 || h <= 0) return p;
  const double r = double(w) / double(h);
  const int A = std::max(area_w, 3), B = std::max(area_h, 3);
  const double R = double(A) / double(B);
  const bool fits = A - 2 >= w && B - 2 >= h;
  if (mode == kModeNormal || (mode == kModeShrink && fits)) {
    p.natural = true;
    p.width = w;
    p.height = h;
    if (screen_w > 0 && p.width > screen_w) {
      p.width = screen_w;
      p.height = int(p.width / r);
      p.scaled = true;
    }
    if (screen_h > 0 && p.height > screen_h) {
      p.height = screen_h;
      p.width = int(p.height * r);
      p.scaled = true;
    }
    p.x = p.width < A ? (A - p.width) / 2 : 0;
    p.y = p.height < B ? (B - p.height) / 2 : 0;
  } else {
    p.scaled = true;
    if (r > R) {
      p.width = A - 2;
      p.height = int((A - 2) / r);
      p.x = 0;
      p.y = (B - p.height) / 2;
    } else {
      p.height = B - 2;
      p.width = int(r * (B - 2));
      p.y = 0;
      p.x = (A - p.width) / 2;
    }
  }
  p.width = std::max(p.width, 1);
  p.height = std::max(p.height, 1);
  p.scaled = p.scaled && (p.width != w || p.height != h);
  return p;
}

}  // namespace sk::images
