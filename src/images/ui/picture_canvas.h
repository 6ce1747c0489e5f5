// What an image area shows: a picture at a place and size, or lines of text on white.  The
// widget sits inside the area's scroll box; its size is the extent the scroll bars cover.
#pragma once

#include <QFont>
#include <QImage>
#include <QStringList>
#include <QWidget>

namespace sk::images {

class PictureCanvas : public QWidget {
 public:
  PictureCanvas();
  void Clear();
  // The picture drawn into `drawn` (offset and size in the area); scaled when sizes differ.
  void ShowPicture(const QImage& image, const QRect& drawn);
  // Lines one below the other from `origin` on a white canvas of `size`; the first one green.
  void ShowLines(const QStringList& lines, const QFont& font, const QSize& size,
                 const QPoint& origin);

  const QImage& image() const { return image_; }
  const QRect& drawn() const { return drawn_; }
  const QStringList& lines() const { return lines_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QImage image_;
  QRect drawn_;
  QStringList lines_;
  QFont font_;
  QPoint origin_;
};

}  // namespace sk::images
