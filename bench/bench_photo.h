// Smooth photo-like pictures for the picture benchmarks: a noise picture would be bound by the
// decoder's entropy stage and say nothing about decoding at a smaller size.
#pragma once

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QString>

namespace sk::bench {

// A smooth picture: gradients and soft discs, as a photograph compresses (not noise).
inline void MakePhoto(const QString& path, int width, int height, int seed) {
  QImage img(width, height, QImage::Format_RGB32);
  QPainter p(&img);
  QLinearGradient sky(0, 0, 0, height);
  sky.setColorAt(0, QColor::fromHsv((seed * 37) % 360, 120, 230));
  sky.setColorAt(1, QColor::fromHsv((seed * 37 + 90) % 360, 160, 120));
  p.fillRect(img.rect(), sky);
  for (int k = 0; k < 12; ++k) {
    int x = (seed * 911 + k * 577) % width, y = (seed * 313 + k * 997) % height;
    int r = width / 20 + (k * 131 + seed * 17) % (width / 7);
    QRadialGradient g(x, y, r);
    g.setColorAt(0, QColor::fromHsv((seed * 53 + k * 29) % 360, 200, 250, 220));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPoint(x, y), r, r);
  }
  p.end();
  img.save(path, "JPG", 90);
}

}  // namespace sk::bench
