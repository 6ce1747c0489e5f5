// Decoding a picture file for an image area, through Qt's image readers.
//
// The reader is asked for the picture's size first (from its header, nothing decoded).  A size
// above the limit is refused with a message instead of allocating it.  When the caller wants the
// picture smaller than it is (fit and shrink modes), the reader is asked for that size, so a big
// JPEG is decoded at 1/2, 1/4 or 1/8 of its size by the decoder itself.  A picture that cannot be
// decoded (truncated, corrupt, empty, not a picture at all) gives no image and a one-line reason.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

namespace sk::images {

// Pictures larger than this are refused (either side, or the pixel count).
inline constexpr int kMaxPictureSide = 30000;
inline constexpr qint64 kMaxPicturePixels = 200'000'000;

struct LoadedPicture {
  QImage image;     // null when the picture could not be read
  QSize full_size;  // the picture's own size (valid whenever the header could be read)
  QString error;    // one Japanese line saying why, when image is null
  bool ok() const { return !image.isNull(); }
};

// Reads the picture at `path`.  `want` gets the picture's full size and returns the size to
// decode it at (an invalid QSize or the full size: decode it whole).
LoadedPicture LoadPicture(const QString& path, const std::function<QSize(QSize)>& want = {});

}  // namespace sk::images
