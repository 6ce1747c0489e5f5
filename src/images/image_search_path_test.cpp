#include "images/image_search_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "store/test_util.h"

namespace sk::images {
namespace {

namespace fs = std::filesystem;

class ImageSearchPathTest : public store::test::TempDirTest {
 protected:
  std::string Dir(const std::string& rel) {
    fs::create_directories(Path(rel));
    return Path(rel) + "/";
  }
  void Touch(const std::string& rel) { std::ofstream(Path(rel)) << "x"; }
  bool Has(const ImageSearchPath& p, const std::string& folder) {
    const auto& d = p.ImageSearchDirs();
    return std::find(d.begin(), d.end(), folder) != d.end();
  }
};

TEST_F(ImageSearchPathTest, StarFolderTakesEverySubfolderAndIsWrittenBackUnchanged) {
  Dir("pics/2019/summer");
  Dir("pics/2020");
  Dir("pics/.thumbs");
  Dir("other");
  Dir("Other2");
  Touch("pics/file.jpg");  // a file is not a folder
  ImageSearchPath p;
  const std::string value = Path("pics") + "*;" + Path("other") + ";;" + Path("OTHER") + "\\;" +
                            Path("Other2") + "/;" +
                            Path("PICS/2020");  // already below the "*" folder
  p.SetImageDirList(value);
  EXPECT_TRUE(Has(p, Path("pics") + "/"));
  EXPECT_TRUE(Has(p, Path("pics/2019") + "/"));
  EXPECT_TRUE(Has(p, Path("pics/2019/summer") + "/"));
  EXPECT_TRUE(Has(p, Path("pics/2020") + "/"));
  EXPECT_FALSE(Has(p, Path("pics/.thumbs") + "/"));
  EXPECT_TRUE(Has(p, Path("other") + "/"));
  EXPECT_FALSE(Has(p, Path("OTHER") + "/"));  // the same folder, ignoring case
  // Depth first: a folder's subfolders follow it at once.
  const auto& d = p.ImageSearchDirs();
  auto at = [&](const std::string& f) { return std::find(d.begin(), d.end(), f) - d.begin(); };
  EXPECT_EQ(at(Path("pics/2019/summer") + "/"), at(Path("pics/2019") + "/") + 1);
  EXPECT_EQ(d.size(), 6u);
  EXPECT_EQ(p.ImageDirValue(),
            Path("pics") + "*;" + Path("other") + ";" + Path("Other2") + ";" + Path("PICS/2020"));
  ImageSearchPath again;
  again.SetImageDirList(p.ImageDirValue());
  EXPECT_EQ(again.ImageSearchDirs(), p.ImageSearchDirs());
}

TEST_F(ImageSearchPathTest, LinkLoopsEndAndMissingFoldersAreSkipped) {
  Dir("loop/a");
  fs::create_directory_symlink(Path("loop"), Path("loop/a/back"));
  ImageSearchPath p;
  p.SetImageDirList(Path("loop") + "*;" + Path("nowhere") + "*");
  EXPECT_TRUE(Has(p, Path("loop/a") + "/"));
  EXPECT_LE(p.ImageSearchDirs().size(), 4u);
  EXPECT_EQ(p.ImageDirEntries().size(), 2u);
}

TEST_F(ImageSearchPathTest, PickedFolders) {
  Dir("pics/sub");
  Dir("picsextra");
  ImageSearchPath p;
  p.SetImageDirList(Path("pics") + "*");
  struct Case {
    std::string folder;
    bool changed;
    size_t entries;
  } cases[] = {
      {Path("pics/sub") + "/", false, 1},  // already searched
      {Path("PICS/new") + "/", true, 1},   // inside the "*" folder: searched, not kept
      {Path("picsextra") + "/", true, 2},  // only starts like it
      {Path("picsextra"), false, 2},       // the same again without its "/"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(p.AddPickedFolder(c.folder), c.changed);
    EXPECT_EQ(p.ImageDirEntries().size(), c.entries);
    EXPECT_TRUE(Has(p, c.folder.back() == '/' ? c.folder : c.folder + "/"));
  }
  EXPECT_FALSE(p.AddPickedFolder(Path("PICS/SUB")));  // searched already, ignoring case
  EXPECT_EQ(p.ImageDirValue(), Path("pics") + "*;" + Path("picsextra"));
}

TEST_F(ImageSearchPathTest, FindLooksInOrder) {
  Dir("start");
  Dir("page");
  Dir("d1");
  Dir("d2");
  Dir("d1/a.jpg.dir");
  Touch("start/s.jpg");
  Touch("page/s.jpg");
  Touch("page/p.jpg");
  Touch("d1/p.jpg");
  Touch("d1/d.jpg");
  Touch("d2/d.jpg");
  Touch("d2/only2.jpg");
  ImageSearchPath p;
  p.SetStartDir(Path("start"));
  p.SetPageFileDir(Path("page") + "/");
  p.SetImageDirList(Path("d1") + ";" + Path("d2"));
  // The same answers asking for each name and through folder listings read once.
  FolderListings listings;
  for (FolderListings* l : {static_cast<FolderListings*>(nullptr), &listings}) {
    SCOPED_TRACE(l ? "listings" : "each name");
    EXPECT_EQ(p.Find("s.jpg", l), Path("start/s.jpg"));
    EXPECT_EQ(p.Find("p.jpg", l), Path("page/p.jpg"));
    EXPECT_EQ(p.Find("d.jpg", l), Path("d1/d.jpg"));
    EXPECT_EQ(p.Find("only2.jpg", l), Path("d2/only2.jpg"));
    EXPECT_EQ(p.Find("none.jpg", l), std::nullopt);
    EXPECT_EQ(p.Find("a.jpg.dir", l), std::nullopt);  // a folder is not a file
    EXPECT_EQ(p.Find("", l), std::nullopt);
  }
  EXPECT_EQ(listings.FoldersRead(), 4u);
}

// A name written on Windows in another case: an exact name anywhere along the path goes first,
// then the first folder holding it in any ASCII case; other characters must match as they are.
TEST_F(ImageSearchPathTest, FindIgnoresAsciiCaseOnlyWhenNoExactName) {
  Dir("start");
  Dir("d1");
  Dir("d2");
  Dir("d1/SUB.JPG");  // a folder is not a file in any case
  Touch("d1/sky.jpg");
  Touch("d2/SKY.JPG");
  Touch("d1/Moon.JPG");
  Touch("d1/moon.jpg");
  Touch("d2/moon.Jpg");
  Touch("d1/\xc3\xa9t\xc3\xa9.jpg");
  Touch("d2/sub.jpg");
  const std::string e_acute = "\xc3\xa9t\xc3\xa9.jpg", e_upper = "\xc3\x89T\xc3\x89.JPG";
  ImageSearchPath p;
  p.SetStartDir(Path("start"));
  p.SetImageDirList(Path("d1") + ";" + Path("d2"));
  FolderListings listings;
  for (FolderListings* l : {static_cast<FolderListings*>(nullptr), &listings}) {
    SCOPED_TRACE(l ? "listings" : "each name");
    EXPECT_EQ(p.Find("SKY.JPG", l), Path("d2/SKY.JPG"));    // exact in a later folder wins
    EXPECT_EQ(p.Find("Sky.Jpg", l), Path("d1/sky.jpg"));    // else the first folder
    EXPECT_EQ(p.Find("MOON.JPG", l), Path("d1/Moon.JPG"));  // first in byte order
    EXPECT_EQ(p.Find("moon.JPG", l), Path("d1/Moon.JPG"));
    EXPECT_EQ(p.Find("moon.jpg", l), Path("d1/moon.jpg"));
    EXPECT_EQ(p.Find("\xc3\xa9T\xc3\xa9.JPG", l), Path("d1/") + e_acute);
    EXPECT_EQ(p.Find(e_upper, l), std::nullopt);  // not an ASCII letter
    EXPECT_EQ(p.Find("Sub.jpg", l), Path("d2/sub.jpg"));
  }
}

}  // namespace
}  // namespace sk::images
