// The commands on a page's linked files: adding files, editing the list directly, removing the
// file of an area from the page, saving the picture of an area under another name, and opening
// the file of an area with the desktop's program.
#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "convert/cp932.h"
#include "convert/sjis.h"
#include "images/image_geometry.h"
#include "images/image_list.h"
#include "images/ui/image_dialogs.h"
#include "images/ui/image_side.h"
#include "images/ui/picture_save.h"
#include "settings/main_settings.h"
#include "shell/page_file_session.h"
#include "shell/prompter.h"
#include "shell/shell_services.h"

namespace sk::images {

namespace {

QString Q(std::string_view cp932) { return cp932::Decode(cp932); }
std::string B(const QString& text) { return cp932::EncodeReplacing(text); }

const QString kNoFiles =
    QStringLiteral("このページには関連付けられている画像(リンク)ファイルがありません。");

}  // namespace

void ImageSide::SetImageField(const std::string& field) {
  store::Table& t = session_.table();
  Status st = t.Edit();
  if (st.ok()) st = t.SetFieldString("IMAGEFILE", field);
  shell_.Report(st);
}

void ImageSide::AddImageFile() {
  if (!session_.IsOpen()) return;
  shell::FileDialogSpec spec;
  QString recent = Q(shell_.conf().RecentOpenedImageFileDir);
  QString start = shell_.start_dir();
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
  std::optional<QStringList> chosen = shell_.prompter().OpenFileNames(spec);
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
      shell_.Message(
          QStringLiteral("%1 の名前には，ページファイルに保存できない文字が含まれています。\n\n"
                         "名前を変えてから追加してください。")
              .arg(name));
      return;
    }
  }
  QFileInfo first(chosen->front());
  shell_.conf().RecentOpenedImageFileName = B(first.absoluteFilePath());
  shell_.conf().RecentOpenedImageFileDir = B(first.absolutePath());
  search_path_.AddPickedFolder(first.absolutePath().toStdString() + "/");
  SetImageField(AppendImageNames(session_.table().FieldString("IMAGEFILE"), names));
  image_step_ = kStepToEnd;
  DrawImage(0, true);
}

void ImageSide::ImageFileDirectEditItemClick() {
  if (!session_.IsOpen()) return;
  const std::string part = GetPureImageFileNames();
  QStringList lines;
  for (const std::string& name : SplitImageNames(part)) lines << Q(name);
  TImageFileNameEditForm form(shell_.DialogParent());
  form.SetNames(lines);
  if (!shell_.prompter().RunDialog(form)) return;

  std::vector<std::string> names;
  for (const QString& typed : form.Names()) {
    const std::string line(sjis::TrimBlanks(B(typed)));
    if (!line.empty()) names.push_back(GetName(line));
  }
  SetImageField(JoinImageField(text_alt_file_name_, names));
  restore_image_num_ = 0;
  DrawImage(0, true);
}

void ImageSide::DeleteImageFile(int area) {
  if (!session_.IsOpen()) return;
  if (image_list_.empty() || (area == 2 && image_list_.size() == 1) ||
      shell_.conf().TextImageLocation == 4) {
    shell_.Message(kNoFiles);
    return;
  }
  if (!shell_.prompter().YesNo(
          QStringLiteral("画像(リンク・ファイル)の削除"),
          QStringLiteral("領域%1の画像(リンク・ファイル)をこのページから削除しますか。\n\n"
                         "ただし，ファイル自体は削除しません。\n\n"
                         "このページへのリンクを解消するだけです。")
              .arg(area)))
    return;
  size_t k = size_t(image_num_ + area - 1);
  if (k >= image_list_.size()) k = 0;
  std::vector<std::string> rest = image_list_;
  rest.erase(rest.begin() + std::ptrdiff_t(k));
  GetPureImageFileNames();  // the alternate file of the field as it stands
  SetImageField(JoinImageField(text_alt_file_name_, rest));
  DrawImage(0, true);
}

void ImageSide::ImageSave(int slot) {
  if (!session_.IsOpen()) return;
  const QString source = QString::fromStdString(area_path_[size_t(slot)]);
  if (source.isEmpty()) return;
  if (source.startsWith(QStringLiteral(";;"))) {
    shell_.Message(source.mid(2) + QStringLiteral(" は，存在しません。"));
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
  std::optional<QString> chosen = shell_.prompter().SaveFileName(spec);
  if (!chosen || chosen->isEmpty()) return;
  const QString dest = *chosen;
  if (QFileInfo::exists(dest) &&
      !shell_.Ask(QStringLiteral("同名のファイルが存在します。上書きしますか？")))
    return;
  if (Status st = CheckSaveKinds(source, dest); !st.ok()) {
    shell_.Message(QString::fromStdString(st.message()));
    return;
  }
  if (from != 2 && SaveKind(dest) == 0) {
    TImageSaveQualityForm quality(shell_.DialogParent());
    quality.Prepare(QFileInfo(dest).fileName());
    if (!shell_.prompter().RunDialog(quality)) return;
    image_save_quality_ = quality.Quality();
  }
  Status st = SavePictureAs(source, dest, image_save_quality_);
  if (!st.ok()) shell_.Message(QString::fromStdString(st.message()));
}

bool ImageSide::DoWinCommand(const std::string& path) {
  return shell_.prompter().OpenWithDesktop(QString::fromStdString(path));
}

void ImageSide::OpenViewer(int slot) {
  if (size_t(slot) >= image_list_.size()) return;
  if (!DoWinCommand(area_path_[size_t(slot)]))
    shell_.Message(QString::fromStdString(area_path_[size_t(slot)]) +
                   QStringLiteral(" を表示するソフトがありません。"));
}

}  // namespace sk::images
