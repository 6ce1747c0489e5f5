#include "images/ui/picture_loader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

namespace sk::images {

namespace {

QString Reason(const QString& why) {
  return QStringLiteral("画像を読み込めません（%1）。").arg(why);
}

// A JPEG ends with the marker FF D9 (a few bytes of padding may follow).  Qt's decoder fills a
// cut-off picture with grey and reports success, so the end is looked at here.
bool JpegEnds(QFile& file) {
  const qint64 size = file.size();
  const qint64 tail = std::min<qint64>(size, 4096);
  if (!file.seek(size - tail)) return false;
  const QByteArray bytes = file.read(tail);
  return bytes.lastIndexOf(QByteArray("\xFF\xD9", 2)) >= 0;
}

// A BMP file says how long it is (and, uncompressed, its pixel rows say how long they are); Qt's
// reader shows a cut-off file as a picture with a black tail, so the length is checked here.
bool BmpWhole(QFile& file, QSize size) {
  if (!file.seek(0)) return false;
  const QByteArray h = file.read(34);
  if (h.size() < 34) return false;
  auto u32 = [&](int at) { return qFromLittleEndian<quint32>(h.constData() + at); };
  auto u16 = [&](int at) { return qFromLittleEndian<quint16>(h.constData() + at); };
  const qint64 have = file.size();
  if (qint64(u32(2)) > have) return false;
  const quint32 compression = u32(30);
  if (compression == 0 || compression == 3) {
    const qint64 row = (qint64(size.width()) * u16(28) + 31) / 32 * 4;
    if (qint64(u32(10)) + row * size.height() > have) return false;
  }
  return true;
}

}  // namespace

LoadedPicture LoadPicture(const QString& path, const std::function<QSize(QSize)>& want) {
  LoadedPicture out;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    out.error = Reason(QStringLiteral("ファイルを開けません"));
    return out;
  }
  if (file.size() == 0) {
    out.error = Reason(QStringLiteral("ファイルが空です"));
    return out;
  }
  QImageReader reader(&file);
  reader.setAutoTransform(false);
  // Our own limit below speaks first; this one only guards what the header does not tell.
  reader.setAllocationLimit(1024);
  const QByteArray format = reader.format();
  if (format.isEmpty()) {
    out.error = Reason(QStringLiteral("画像の形式ではありません"));
    return out;
  }
  const QSize full = reader.size();
  if (!full.isValid() || full.isEmpty()) {
    out.error = Reason(QStringLiteral("画像の大きさがわかりません"));
    return out;
  }
  out.full_size = full;
  if (full.width() > kMaxPictureSide || full.height() > kMaxPictureSide ||
      qint64(full.width()) * full.height() > kMaxPicturePixels) {
    out.error = QStringLiteral("画像が大きすぎるため表示しません（%1×%2）。")
                    .arg(full.width())
                    .arg(full.height());
    return out;
  }
  const bool jpeg = format == "jpeg" || format == "jpg", bmp = format == "bmp";
  if (jpeg || bmp) {
    if (jpeg ? !JpegEnds(file) : !BmpWhole(file, full)) {
      out.error = Reason(QStringLiteral("ファイルが途中で切れています"));
      return out;
    }
    // The check read the file; the reader starts again from its beginning.
    file.seek(0);
    reader.setDevice(&file);
  }
  if (want) {
    QSize s = want(full);
    if (s.isValid() && !s.isEmpty() && s != full) reader.setScaledSize(s);
  }
  QImage image;
  if (!reader.read(&image) || image.isNull()) {
    const QString why = reader.error() == QImageReader::InvalidDataError
                            ? QStringLiteral("データが壊れているか，途中で切れています")
                            : reader.errorString();
    out.error = Reason(why);
    return out;
  }
  out.image = std::move(image);
  return out;
}

}  // namespace sk::images
