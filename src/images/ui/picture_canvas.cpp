#include "images/ui/picture_canvas.h"

#include <QPainter>

namespace sk::images {

PictureCanvas::PictureCanvas() { resize(0, 0); }

void PictureCanvas::Clear() {
  image_ = QImage();
  lines_.clear();
  drawn_ = QRect();
  resize(0, 0);
  update();
}

void PictureCanvas::ShowPicture(const QImage& image, const QRect& drawn) {
  lines_.clear();
  drawn_ = drawn;
  // Scaled once here, so that painting (and scrolling) only copies pixels.
  image_ = image.size() == drawn.size()
               ? image
               : image.scaled(drawn.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  resize(drawn.x() + drawn.width(), drawn.y() + drawn.height());
  update();
}

void PictureCanvas::ShowLines(const QStringList& lines, const QFont& font, const QSize& size,
                              const QPoint& origin) {
  image_ = QImage();
  drawn_ = QRect();
  lines_ = lines;
  font_ = font;
  origin_ = origin;
  resize(size);
  update();
}

void PictureCanvas::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!image_.isNull()) {
    p.drawImage(drawn_.topLeft(), image_);
    return;
  }
  if (lines_.isEmpty()) return;
  p.fillRect(rect(), Qt::white);
  p.setFont(font_);
  QFontMetrics fm(font_);
  int y = origin_.y();
  for (int i = 0; i < lines_.size(); ++i) {
    p.setPen(i == 0 ? QColor(0, 128, 0) : QColor(Qt::black));
    p.drawText(origin_.x(), y + fm.ascent(), lines_[i]);
    y += fm.height();
  }
}

}  // namespace sk::images
