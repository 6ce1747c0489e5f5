// Pictures as the image areas read them: decoded at the size asked for, and every kind of damage
// refused with a reason instead of a crash or a giant allocation.
#include "images/ui/picture_loader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>

namespace sk::images {
namespace {

class PictureLoaderTest : public ::testing::Test {
 protected:
  QString Path(const QString& name) const { return dir_.path() + "/" + name; }
  QByteArray Encoded(const char* format, int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x * 255 / w, y * 255 / h, 128));
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    EXPECT_TRUE(img.save(&buf, format));
    return bytes;
  }
  QString Write(const QString& name, const QByteArray& bytes) {
    QFile f(Path(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return Path(name);
  }
  QTemporaryDir dir_;
};

TEST_F(PictureLoaderTest, DecodesEveryPictureKindAtTheSizeAsked) {
  for (const char* format : {"jpg", "bmp", "png"}) {
    SCOPED_TRACE(format);
    QString path = Write(QString("a.") + format, Encoded(format, 400, 300));
    LoadedPicture whole = LoadPicture(path);
    ASSERT_TRUE(whole.ok()) << whole.error.toStdString();
    EXPECT_EQ(whole.image.size(), QSize(400, 300));
    QSize told;
    LoadedPicture small = LoadPicture(path, [&](QSize full) {
      told = full;
      return QSize(100, 75);
    });
    ASSERT_TRUE(small.ok());
    EXPECT_EQ(told, QSize(400, 300));
    EXPECT_EQ(small.full_size, QSize(400, 300));
    EXPECT_EQ(small.image.size(), QSize(100, 75));
  }
}

TEST_F(PictureLoaderTest, DamageGivesAReason) {
  const QByteArray jpg = Encoded("jpg", 200, 150);
  const QByteArray bmp = Encoded("bmp", 200, 150);
  const QByteArray png = Encoded("png", 200, 150);
  // A JPEG whose frame header claims 30,000 x 30,000: the size bytes of the SOF0 marker.
  QByteArray huge = jpg;
  int sof = huge.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(sof, 0);
  qToBigEndian<quint16>(30000, huge.data() + sof + 5);
  qToBigEndian<quint16>(30000, huge.data() + sof + 7);
  // A BMP header claiming 30,000 x 30,000.
  QByteArray huge_bmp = bmp;
  qToLittleEndian<qint32>(30000, huge_bmp.data() + 18);
  qToLittleEndian<qint32>(30000, huge_bmp.data() + 22);
  QByteArray scrambled = jpg;
  for (int i = int(jpg.size() / 3); i < int(jpg.size() * 2 / 3); ++i) scrambled[i] = char(0xFF);
  struct Case {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"empty.jpg", QByteArray()},
      {"text.jpg", "this is a note, not a picture\n"},
      {"cut.jpg", jpg.left(jpg.size() / 2)},
      {"cut.bmp", bmp.left(bmp.size() / 2)},
      {"cut.png", png.left(png.size() / 2)},
      {"huge.jpg", huge},
      {"huge.bmp", huge_bmp},
      {"scrambled.jpg", scrambled},
      {"header-only.png", png.left(40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadedPicture p = LoadPicture(Write(c.name, c.bytes), [](QSize) { return QSize(50, 40); });
    EXPECT_FALSE(p.ok());
    EXPECT_FALSE(p.error.isEmpty());
    EXPECT_FALSE(p.error.contains('\n'));
  }
  LoadedPicture p = LoadPicture(Path("huge.jpg"));
  EXPECT_EQ(p.error, "画像が大きすぎるため表示しません（30000×30000）。");
  EXPECT_FALSE(LoadPicture(Path("no-such.jpg")).ok());
}

}  // namespace
}  // namespace sk::images
