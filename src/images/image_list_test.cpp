#include "images/image_list.h"

#include <gtest/gtest.h>

#include "images/image_geometry.h"

namespace sk::images {
namespace {

using Names = std::vector<std::string>;

// "表" is 0x95 0x5C in CP932: its trail byte is a backslash.
const std::string kHyo = "\x95\x5c";

TEST(ImageListTest, ParsesTheField) {
  struct Case {
    std::string field, alt, part;
    Names names;
  } cases[] = {
      {"", "", "", {}},
      {" \r\n\t", "", "", {}},
      {"*C:\\data\\p1.htm", "C:\\data\\p1.htm", "", {}},
      {"*C:\\data\\p1.htm;a.jpg", "C:\\data\\p1.htm", "a.jpg", {"a.jpg"}},
      {"*;a.jpg", "", "a.jpg", {"a.jpg"}},
      {"a.jpg;b.bmp;notes.doc", "", "a.jpg;b.bmp;notes.doc", {"a.jpg", "b.bmp", "notes.doc"}},
      {"a.jpg;;b.jpg;", "", "a.jpg;;b.jpg;", {"a.jpg", "b.jpg"}},
      {";a.jpg", "", ";a.jpg", {"a.jpg"}},
      {"  a.jpg;b.jpg\r\n", "", "a.jpg;b.jpg", {"a.jpg", "b.jpg"}},
      {kHyo + ".jpg;" + kHyo + ";x.jpg",
       "",
       kHyo + ".jpg;" + kHyo + ";x.jpg",
       {kHyo + ".jpg", kHyo, "x.jpg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    std::string alt = "stale";
    EXPECT_EQ(GetPureImageFileNames(c.field, &alt), c.part);
    EXPECT_EQ(alt, c.alt);
    EXPECT_EQ(SplitImageNames(c.part), c.names);
  }
}

TEST(ImageListTest, NamesOfPaths) {
  struct Case {
    std::string path, name, dir, ext, bare;
  } cases[] = {
      {"photo.jpg", "photo.jpg", "", "jpg", "photo.jpg"},
      {"photo", "photo", "", "", "photo.bmp"},
      {"C:\\old\\a.jpg", "a.jpg", "C:\\old", "jpg", "a.jpg"},
      {"C:a.JPEG", "a.JPEG", "C", "jpeg", "a.JPEG"},
      {"/home/u/Pics/x.Png", "x.Png", "/home/u/Pics", "png", "x.Png"},
      {"d.dir\\noext", "noext", "d.dir", "", "noext.bmp"},
      {"C:\\" + kHyo + "\\" + kHyo + ".jpg", kHyo + ".jpg", "C:\\" + kHyo, "jpg", kHyo + ".jpg"},
      {kHyo + ".bmp", kHyo + ".bmp", "", "bmp", kHyo + ".bmp"},
      {"a.tar.GZ", "a.tar.GZ", "", "gz", "a.tar.GZ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(GetName(c.path), c.name);
    EXPECT_EQ(GetDir(c.path), c.dir);
    EXPECT_EQ(GetKakuchoshi(c.path), c.ext);
    EXPECT_EQ(BareImageName(c.path), c.bare);
  }
  EXPECT_EQ(KindOf("a.JPG"), FileKind::Jpeg);
  EXPECT_EQ(KindOf("a.jpeg"), FileKind::Jpeg);
  EXPECT_EQ(KindOf("a.bmp"), FileKind::Bmp);
  EXPECT_EQ(KindOf("a.png"), FileKind::Png);
  EXPECT_EQ(KindOf("a.gif"), FileKind::Link);
  EXPECT_EQ(KindOf("a"), FileKind::Link);
}

TEST(ImageListTest, WritesTheField) {
  EXPECT_EQ(JoinImageField("", {"a.jpg", "b.jpg"}), "a.jpg;b.jpg");
  EXPECT_EQ(JoinImageField("D:\\p.htm", {"b.jpg"}), "*D:\\p.htm;b.jpg");
  EXPECT_EQ(JoinImageField("D:\\p.htm", {}), "*D:\\p.htm;");
  EXPECT_EQ(JoinImageField("", {}), "");
  EXPECT_EQ(AppendImageNames("c.jpg", {"a.jpg", "b.jpg"}), "c.jpg;a.jpg;b.jpg");
  EXPECT_EQ(AppendImageNames("  ", {"a.jpg"}), "a.jpg");
  EXPECT_EQ(AppendImageNames("*D:\\p.htm", {"a.jpg"}), "*D:\\p.htm;a.jpg");
  EXPECT_EQ(AppendImageNames("a.jpg;", {"a.jpg"}), "a.jpg;;a.jpg");
}

TEST(ImageGeometryTest, ImageStepChoosesTheFirstShown) {
  struct Case {
    int num, step, restore, count;
    bool two;
    int want, restore_after;
  } cases[] = {
      {0, kStepNone, -1, 3, true, 0, -1},     {2, kStepNone, 1, 3, true, 1, -1},
      {2, kStepNone, 5, 3, true, 0, -1},  // a kept number past the end
      {0, kStepToEnd, -1, 5, true, 3, -1},    {0, kStepToEnd, -1, 1, true, 0, -1},
      {0, kStepToEnd, -1, 5, false, 4, -1},   {3, kStepToFirst, -1, 5, true, 0, -1},
      {2, kStepNext, -1, 3, false, 0, -1},                                           // == count
      {2, kStepNextTwo, -1, 3, true, 1, -1},                                         // above count
      {0, kStepNextTwo, -1, 1, true, 0, -1},  {0, kStepPrior, -1, 3, false, 2, -1},  // exactly -1
      {0, kStepPriorTwo, -1, 3, true, 1, -1},                                        // below -1
      {0, kStepPriorTwo, -1, 1, true, 0, -1}, {1, kStepNext, -1, 4, false, 2, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.num << " " << c.step << " " << c.restore << " " << c.count << " " << c.two);
    int restore = c.restore;
    EXPECT_EQ(ChooseImageNum(c.num, c.step, &restore, c.count, c.two), c.want);
    EXPECT_EQ(restore, c.restore_after);
  }
  // Two areas and three names: next shows (1,2), (3,1), (2,3), (1,2); previous runs backwards.
  int n = 0, none = -1;
  std::vector<int> seen;
  for (int i = 0; i < 3; ++i) seen.push_back(n = ChooseImageNum(n, kStepNextTwo, &none, 3, true));
  EXPECT_EQ(seen, (std::vector<int>{2, 1, 0}));
  seen.clear();
  for (int i = 0; i < 3; ++i) seen.push_back(n = ChooseImageNum(n, kStepPriorTwo, &none, 3, true));
  EXPECT_EQ(seen, (std::vector<int>{1, 2, 0}));
}

TEST(ImageGeometryTest, PlacesThePictureByMode) {
  struct Case {
    int mode, area_w, area_h, w, h;
    Placement want;
  } cases[] = {
      // 100 x 50 in a 402 x 402 area.
      {kModeNormal, 402, 402, 100, 50, {151, 176, 100, 50, false, true}},
      {kModeShrink, 402, 402, 100, 50, {151, 176, 100, 50, false, true}},
      {kModeFit, 402, 402, 100, 50, {0, 101, 400, 200, true, false}},
      // Larger than the area (800 x 1600 in 402 x 402).
      {kModeNormal, 402, 402, 800, 1600, {0, 0, 540, 1080, true, true}},
      {kModeShrink, 402, 402, 800, 1600, {101, 0, 200, 400, true, false}},
      {kModeFit, 402, 402, 800, 1600, {101, 0, 200, 400, true, false}},
      // Wider than the monitor (1920 x 1080): bounded, aspect kept.
      {kModeNormal, 300, 300, 3840, 1000, {0, 0, 1920, 500, true, true}},
      // Degenerate sizes never divide by zero.
      {kModeFit, 0, 0, 10, 10, {1, 0, 1, 1, true, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.w << "x" << c.h);
    Placement p = PlacePicture(c.mode, c.area_w, c.area_h, c.w, c.h, 1920, 1080);
    EXPECT_EQ(p.x, c.want.x);
    EXPECT_EQ(p.y, c.want.y);
    EXPECT_EQ(p.width, c.want.width);
    EXPECT_EQ(p.height, c.want.height);
    EXPECT_EQ(p.scaled, c.want.scaled);
    EXPECT_EQ(p.natural, c.want.natural);
  }
  Placement none = PlacePicture(kModeFit, 100, 100, 0, 10, 1920, 1080);
  EXPECT_EQ(none.width, 0);
}

}  // namespace
}  // namespace sk::images
