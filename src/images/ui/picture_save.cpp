#include "images/ui/picture_save.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>

#include "images/image_list.h"

namespace sk::images {

namespace {

Status Failed(const QString& path, const QString& why) {
  return Status::Error(QStringLiteral("%1 に保存できません（%2）。").arg(path, why).toStdString());
}

Status ReadFailed(const QString& path, const QString& why) {
  return Status::Error(QStringLiteral("%1 を読み込めません（%2）。").arg(path, why).toStdString());
}

// The bytes go to a temporary file beside the destination, which then replaces it.
Status WriteBytes(const QString& dest, const QByteArray& bytes) {
  QSaveFile out(dest);
  if (!out.open(QIODevice::WriteOnly)) return Failed(dest, out.errorString());
  if (out.write(bytes) != bytes.size()) {
    QString why = out.errorString();
    out.cancelWriting();
    return Failed(dest, why);
  }
  if (!out.commit()) return Failed(dest, out.errorString());
  return Status::Ok();
}

}  // namespace

int SaveKind(const QString& path) {
  const std::string ext = GetKakuchoshi(path.toStdString());
  if (ext == "jpg" || ext == "jpeg") return 0;
  if (ext == "bmp") return 1;
  return 2;
}

Status CheckSaveKinds(const QString& source, const QString& dest) {
  const int from = SaveKind(source), to = SaveKind(dest);
  if (from == 2 && GetKakuchoshi(source.toStdString()) != GetKakuchoshi(dest.toStdString()))
    return Status::Error("異なる拡張子のファイルには保存できません。");
  if (from != 2 && to == 2)
    return Status::Error("jpg, jpeg, bmp 以外のファイル形式には変換できません。");
  return Status::Ok();
}

Status SavePictureAs(const QString& source, const QString& dest, int quality) {
  if (Status st = CheckSaveKinds(source, dest); !st.ok()) return st;
  const int from = SaveKind(source), to = SaveKind(dest);
  if (from == 2 || (from == 0 && to == 0)) {
    // Copied byte for byte: a JPEG is not encoded again.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) return ReadFailed(source, in.errorString());
    return WriteBytes(dest, in.readAll());
  }
  QImageReader reader(source);
  reader.setAutoTransform(false);
  QImage image;
  if (!reader.read(&image)) return ReadFailed(source, reader.errorString());
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, to == 0 ? "jpeg" : "bmp");
  if (to == 0) writer.setQuality(std::clamp(quality, 1, 100));
  if (!writer.write(image)) return Failed(dest, writer.errorString());
  return WriteBytes(dest, bytes);
}

}  // namespace sk::images
