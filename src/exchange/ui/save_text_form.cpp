#include "exchange/ui/save_text_form.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

#include "shell/dialog_buttons.h"
#include "shell/prompter.h"
#include "convert/cp932.h"

namespace sk::exchange {

QString QtFileFilter(const QString& pipe_filter) {
  const QStringList parts = pipe_filter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    // Qt shows the patterns after the name itself.
    QString name = parts[i].trimmed();
    const qsizetype open = name.lastIndexOf(QLatin1Char('('));
    if (open > 0 && name.endsWith(QLatin1Char(')'))) name = name.left(open).trimmed();
    filters << name + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

QString TextFileFilter(const QString& wildcard) {
  return QtFileFilter(QStringLiteral("テキストファイル(") + wildcard + QStringLiteral(")|") +
                      wildcard + QStringLiteral("|すべて(*.*)|*.*"));
}

void StartFileDialogAt(const QString& current, const QString& fallback, shell::FileDialogSpec* spec) {
  // A bare name has no folder of its own: it starts in the fallback like an empty one.
  const QFileInfo info(current);
  if (current.contains(QLatin1Char('/')) && QFileInfo(info.path()).isDir()) {
    spec->folder = info.path();
    spec->file_name = info.fileName();
  } else {
    spec->folder = fallback;
    if (spec->folder.size() > 1 && spec->folder.endsWith(QLatin1Char('/'))) spec->folder.chop(1);
    spec->file_name.clear();
  }
}

bool ChooseSaveFileInto(shell::Prompter& prompter, const QString& title, const QString& pipe_filter,
                        const QString& ext, const QString& fallback, QLineEdit* box) {
  shell::FileDialogSpec spec;
  spec.title = title;
  spec.filter = QtFileFilter(pipe_filter);
  spec.default_ext = ext;
  StartFileDialogAt(box->text(), fallback, &spec);
  const std::optional<QString> chosen = prompter.SaveFileName(spec);
  if (!chosen || chosen->isEmpty()) return false;
  box->setText(*chosen);
  return true;
}

bool ParseInt(const QString& text, int* value) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok);
  if (ok) *value = v;
  return ok;
}

bool ParseDouble(const QString& text, double* value) {
  bool ok = false;
  const double v = text.trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

QLineEdit* NumberEdit(const char* name, int width) {
  auto* e = new QLineEdit;
  e->setObjectName(QLatin1String(name));
  e->setAttribute(Qt::WA_InputMethodEnabled, false);
  e->setFixedWidth(width);
  return e;
}

QGroupBox* PageRangeGroup(const char* from_name, QRadioButton** all, QRadioButton** from,
                          QLineEdit** count) {
  auto* group = new QGroupBox(QStringLiteral("出力するページ"));
  auto* box = new QVBoxLayout(group);
  *all = Radio("AllPageRadioButton", QStringLiteral("選択されている全ページ"));
  *from = Radio(from_name, QStringLiteral("現ページ(含む)から"));
  *count = NumberEdit("PageCountEdit");
  auto* row = new QHBoxLayout;
  row->addWidget(*from);
  row->addWidget(*count);
  row->addWidget(new QLabel(QStringLiteral("ページ")));
  row->addStretch(1);
  box->addWidget(*all);
  box->addLayout(row);
  return group;
}

QGroupBox* PageTitleGroup(const QStringList& captions, QCheckBox** title, QCheckBox** chosha,
                          QCheckBox** date, QCheckBox** user_name) {
  auto* group = new QGroupBox(QStringLiteral("ページタイトルの項目"));
  auto* grid = new QGridLayout(group);
  *title = Check("TitleCheckBox", captions.value(1));
  *chosha = Check("ChoshaCheckBox", captions.value(2));
  *date = Check("DateCheckBox", captions.value(3));
  *user_name = Check("UserNameCheckBox", QStringLiteral("ユーザー名"));
  grid->addWidget(*title, 0, 0);
  grid->addWidget(*chosha, 0, 1);
  grid->addWidget(*date, 1, 0);
  grid->addWidget(*user_name, 1, 1);
  return group;
}

QCheckBox* Check(const char* name, const QString& text) {
  auto* c = new QCheckBox(text);
  c->setObjectName(QLatin1String(name));
  return c;
}

QRadioButton* Radio(const char* name, const QString& text) {
  auto* r = new QRadioButton(text);
  r->setObjectName(QLatin1String(name));
  return r;
}

QPushButton* Button(const char* name, const QString& text) {
  auto* b = new QPushButton(text);
  b->setObjectName(QLatin1String(name));
  return b;
}

namespace {

// The example of each date style, as the buttons show it.
const char* const kDateExamples[10] = {
    "2010/03/21",
    "2010年3月21日",
    "2010年3月21日（日）",
    "March 21, 2010",
    "Sunday, March 21, 2010",
    "２０１０／０３／２１",
    "２０１０年３月２１日",
    "２０１０年３月２１日（日）",
    "二〇一〇年三月二一日",
    "二〇一〇年三月二一日（日）",
};

}  // namespace

TSaveTextForm::TSaveTextForm(shell::Prompter& prompter, TextExportSettings& s, int& date_type,
                             const QStringList& captions, QWidget* parent)
    : QDialog(parent), prompter_(prompter), s_(s), date_type_(date_type) {
  setObjectName(QStringLiteral("SaveTextForm"));
  setWindowTitle(QStringLiteral("テキスト保存"));
  setModal(true);
  ProgramDir = QCoreApplication::applicationDirPath();
  auto* box = new QVBoxLayout(this);

  auto* file_group = new QGroupBox(QStringLiteral("出力するテキストファイル名"));
  auto* file_row = new QHBoxLayout(file_group);
  FileNameEdit = new QLineEdit;
  FileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
  FileNameEdit->setMinimumWidth(360);
  GetFileNameButton = new QPushButton(QStringLiteral("..."));
  GetFileNameButton->setObjectName(QStringLiteral("GetFileNameButton"));
  GetFileNameButton->setFixedWidth(32);
  connect(GetFileNameButton, &QPushButton::clicked, this, [this] { GetFileNameButtonClick(); });
  file_row->addWidget(FileNameEdit, 1);
  file_row->addWidget(GetFileNameButton);
  box->addWidget(file_group);

  QGroupBox* page_group = PageRangeGroup("SelectedPageRadioButton", &AllPageRadioButton,
                                         &SelectedPageRadioButton, &PageCountEdit);
  connect(AllPageRadioButton, &QRadioButton::toggled, this, [this] { SetPageCountEnabled(); });
  connect(SelectedPageRadioButton, &QRadioButton::toggled, this, [this] { SetPageCountEnabled(); });

  auto* kan_group = new QGroupBox(QStringLiteral("ページ間に"));
  auto* kan_row = new QHBoxLayout(kan_group);
  PageKanEdit = NumberEdit("PageKanEdit");
  kan_row->addWidget(new QLabel(QStringLiteral("挿入する空行数")));
  kan_row->addWidget(PageKanEdit);
  kan_row->addWidget(new QLabel(QStringLiteral("行")));
  kan_row->addStretch(1);

  auto* left = new QVBoxLayout;
  left->addWidget(page_group);
  left->addWidget(kan_group);
  left->addStretch(1);

  auto* item_group = new QGroupBox(QStringLiteral("出力項目"));
  auto* item_box = new QVBoxLayout(item_group);
  BunruiCheckBox = Check("BunruiCheckBox", captions.value(0));
  TitleCheckBox = Check("TitleCheckBox", captions.value(1));
  ChoshaCheckBox = Check("ChoshaCheckBox", captions.value(2));
  DateCheckBox = Check("DateCheckBox", captions.value(3));
  ImageCheckBox = Check("ImageCheckBox", captions.value(4));
  TextCheckBox = Check("TextCheckBox", QStringLiteral("本文テキスト"));
  for (QCheckBox* c :
       {BunruiCheckBox, TitleCheckBox, ChoshaCheckBox, DateCheckBox, ImageCheckBox, TextCheckBox})
    item_box->addWidget(c);

  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 1);
  middle->addWidget(item_group, 1);
  box->addLayout(middle);

  auto* date_group = new QGroupBox(QStringLiteral("年月日の形式"));
  auto* date_grid = new QGridLayout(date_group);
  for (int i = 0; i < 10; ++i) {
    const QString name = QStringLiteral("RadioButton%1").arg(i + 1);
    RadioButton[i] =
        Radio(name.toLatin1().constData(),
              QLatin1Char('"') + QString::fromUtf8(kDateExamples[i]) + QStringLiteral("\" 型"));
    date_grid->addWidget(RadioButton[i], i % 5, i / 5);
  }
  box->addWidget(date_group);

  box->addLayout(shell::DialogButtonRow(this, true, [this] { OkBitBtnClick(); }));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  AllPageRadioButton->setChecked(true);
  RadioButton[0]->setChecked(true);
  SetPageCountEnabled();
}

void TSaveTextForm::SetPageCountEnabled() {
  PageCountEdit->setEnabled(SelectedPageRadioButton->isChecked());
}

void TSaveTextForm::FormActivate() {
  FileNameEdit->setText(cp932::Decode(s_.FileName));
  (s_.AllPage ? AllPageRadioButton : SelectedPageRadioButton)->setChecked(true);
  PageCountEdit->setText(s_.PageCount == -1 ? QString() : QString::number(s_.PageCount));
  BunruiCheckBox->setChecked(s_.SaveBunrui);
  TitleCheckBox->setChecked(s_.SaveTitle);
  ChoshaCheckBox->setChecked(s_.SaveChosha);
  DateCheckBox->setChecked(s_.SaveDate);
  ImageCheckBox->setChecked(s_.SaveImageFileName);
  TextCheckBox->setChecked(s_.SaveText);
  PageKanEdit->setText(QString::number(s_.PageKan));
  const int code = date_type_ >= 2 && date_type_ <= 10 ? date_type_ : 1;
  RadioButton[code - 1]->setChecked(true);
  SetPageCountEnabled();
}

void TSaveTextForm::OkBitBtnClick() {
  s_.FileName = cp932::EncodeReplacing(FileNameEdit->text());
  s_.AllPage = AllPageRadioButton->isChecked();
  if (!ParseInt(PageCountEdit->text(), &s_.PageCount)) s_.PageCount = s_.AllPage ? -1 : 1;
  if (!ParseInt(PageKanEdit->text(), &s_.PageKan)) s_.PageKan = 2;
  s_.SaveBunrui = BunruiCheckBox->isChecked();
  s_.SaveTitle = TitleCheckBox->isChecked();
  s_.SaveChosha = ChoshaCheckBox->isChecked();
  s_.SaveDate = DateCheckBox->isChecked();
  s_.SaveImageFileName = ImageCheckBox->isChecked();
  s_.SaveText = TextCheckBox->isChecked();
  for (int i = 0; i < 10; ++i) {
    if (RadioButton[i]->isChecked()) date_type_ = i + 1;
  }
  accept();
}

void TSaveTextForm::GetFileNameButtonClick() {
  if (ChooseSaveFileInto(prompter_, QStringLiteral("保存先のファイル名"),
                         QStringLiteral("テキストファイル(") + TextFileWildCard +
                             QStringLiteral(")|") + TextFileWildCard +
                             QStringLiteral("|すべて(*.*)|*.*"),
                         QStringLiteral("TXT"), ProgramDir, FileNameEdit))
    s_.FileName = cp932::EncodeReplacing(FileNameEdit->text());
}

void TSaveTextForm::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  FormActivate();
  if (QScreen* sc = screen()) move(sc->availableGeometry().center() - rect().center());
}

}  // namespace sk::exchange
