// The commands on a page's linked files: adding files, editing the list directly, removing the
// file of an area from the page, saving the picture of an area under another name, and opening
// the file of an area with the desktop's program.
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "app/ui/mainform.h"
#include "shell/prompter.h"
#include "convert/cp932.h"
#include "convert/sjis.h"
#include "images/image_geometry.h"
#include "images/image_list.h"
#include "images/ui/image_dialogs.h"
#include "images/ui/image_side.h"
#include "images/ui/picture_save.h"

namespace sk::images {

using app::B;
using app::Q;

namespace {

const QString kNoFiles =
    QStringLiteral("このページには関連付けられている画像(リンク)ファイルがありません。");

}  // namespace

void ImageSide::SetImageField(const std::string& field) {
  store::Table& t = f_.MainTable;
  Status st = t.Edit();
  if (st.ok()) st = t.SetFieldString("IMAGEFILE", field);
  f_.Report(st);
}

void ImageSide::AddImageFile() {
  if (!f_.FileIsOpen()) return;
  shell::FileDialogSpec spec;
  QString recent = Q(f_.Conf.RecentOpenedImageFileDir);
  QString start = f_.StartDir;
  if (start.endsWith('/') && start.size() > 1) start.chop(1);
  spec.folder = !recent.isEmpty() && QFileInfo(recent).isDir() ? recent : start;
  spec.title = QStringLiteral("ページに追加する画像(リンク)ファイル)");
  spec.filter = QStringLiteral(
      "JPG,BMPﾌｧｲﾙ(*.JPG,*.JPEG,*.BMP) (*.JPG *.JPEG *.BMP *.jpg *.jpeg *.bmp);;"
      "JPGﾌｧｲﾙ(*.JPG,*.JPEG) (*.JPG *.JPEG *.jpg *.jpeg);;"
      "BMPﾌｧｲﾙ(*.BMP) (*.BMP *.bmp);;"
      "PNGﾌｧｲﾙ(*.PNG) (*.PNG *.png);;"
      "GIFﾌｧｲﾙ(*.GIF) (*.GIF *.gif);;"
      "すべて(*.*) (*)");
  std::optional<QStringList> chosen = f_.prompter().OpenFileNames(spec);
  if (!chosen || chosen->isEmpty()) return;

  QStringList files = *chosen;
  std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
  });
  // A name the page file cannot hold could never be found again: nothing is added.
  std::vector<std::string> names;
  for (const QString& file : files) {
    const QString name = QFileInfo(file).fileName();
    if (!cp932::Encode(name, &names.emplace_back())) {
      f_.Message(
          QStringLiteral("%1 の名前には，ページファイルに保存できない文字が含まれています。\n\n"
                         "名前を変えてから追加してください。")
              .arg(name));
      return;
    }
  }
  QFileInfo first(chosen->front());
  f_.Conf.RecentOpenedImageFileName = B(first.absoluteFilePath());
  f_.Conf.RecentOpenedImageFileDir = B(first.absolutePath());
  SearchPath.AddPickedFolder(first.absolutePath().toStdString() + "/");
  SetImageField(AppendImageNames(f_.MainTable.FieldString("IMAGEFILE"), names));
  ImageStep = kStepToEnd;
  DrawImage(0, true);
}

void ImageSide::ImageFileDirectEditItemClick() {
  if (!f_.FileIsOpen()) return;
  const std::string part = GetPureImageFileNames();
  QStringList lines;
  for (const std::string& name : SplitImageNames(part)) lines << Q(name);
  TImageFileNameEditForm form(&f_);
  form.SetNames(lines);
  if (!f_.prompter().RunDialog(form)) return;

  std::vector<std::string> names;
  for (const QString& typed : form.Names()) {
    const std::string line(sjis::TrimBlanks(B(typed)));
    if (!line.empty()) names.push_back(GetName(line));
  }
  SetImageField(JoinImageField(TextAltFileName, names));
  RestoreImageNum = 0;
  DrawImage(0, true);
}

void ImageSide::DeleteImageFile(int area) {
  if (!f_.FileIsOpen()) return;
  if (ImageList.empty() || (area == 2 && ImageList.size() == 1) || f_.Conf.TextImageLocation == 4) {
    f_.Message(kNoFiles);
    return;
  }
  if (!f_.prompter().YesNo(
          QStringLiteral("画像(リンク・ファイル)の削除"),
          QStringLiteral("領域%1の画像(リンク・ファイル)をこのページから削除しますか。\n\n"
                         "ただし，ファイル自体は削除しません。\n\n"
                         "このページへのリンクを解消するだけです。")
              .arg(area)))
    return;
  size_t k = size_t(ImageNum + area - 1);
  if (k >= ImageList.size()) k = 0;
  std::vector<std::string> rest = ImageList;
  rest.erase(rest.begin() + std::ptrdiff_t(k));
  GetPureImageFileNames();  // the alternate file of the field as it stands
  SetImageField(JoinImageField(TextAltFileName, rest));
  DrawImage(0, true);
}

void ImageSide::ImageSave(int slot) {
  if (!f_.FileIsOpen()) return;
  const QString source = QString::fromStdString(AreaPath[size_t(slot)]);
  if (source.isEmpty()) return;
  if (source.startsWith(QStringLiteral(";;"))) {
    f_.Message(source.mid(2) + QStringLiteral(" は，存在しません。"));
    return;
  }
  const int from = SaveKind(source);
  QFileInfo src(source);
  shell::FileDialogSpec spec;
  spec.folder = src.absolutePath();
  spec.file_name = src.fileName();
  spec.title = QStringLiteral("保存先の画像ファイル名");
  if (from < 2) {
    spec.filter = QStringLiteral("(*.jpg, *.jpeg, *.bmp) (*.jpg *.jpeg *.bmp *.JPG *.JPEG *.BMP)");
  } else {
    const QString e = src.suffix();
    spec.filter = QStringLiteral("(*.%1) (*.%1)").arg(e.isEmpty() ? QStringLiteral("*") : e);
  }
  std::optional<QString> chosen = f_.prompter().SaveFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  const QString dest = *chosen;
  if (QFileInfo::exists(dest) &&
      !f_.Ask(QStringLiteral("同名のファイルが存在します。上書きしますか？")))
    return;
  if (Status st = CheckSaveKinds(source, dest); !st.ok()) {
    f_.Message(QString::fromStdString(st.message()));
    return;
  }
  if (from != 2 && SaveKind(dest) == 0) {
    TImageSaveQualityForm quality(&f_);
    quality.Prepare(QFileInfo(dest).fileName());
    if (!f_.prompter().RunDialog(quality)) return;
    ImageSaveQuality = quality.Quality();
  }
  Status st = SavePictureAs(source, dest, ImageSaveQuality);
  if (!st.ok()) f_.Message(QString::fromStdString(st.message()));
}

bool ImageSide::DoWinCommand(const std::string& path) {
  return f_.prompter().OpenWithDesktop(QString::fromStdString(path));
}

void ImageSide::OpenViewer(int slot) {
  if (size_t(slot) >= ImageList.size()) return;
  if (!DoWinCommand(AreaPath[size_t(slot)]))
    f_.Message(QString::fromStdString(AreaPath[size_t(slot)]) +
               QStringLiteral(" を表示するソフトがありません。"));
}

}  // namespace sk::images
