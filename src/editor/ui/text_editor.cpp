#include "editor/ui/text_editor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "convert/cp932.h"
#include "editor/ui/highlighter.h"

namespace sk::editor {

namespace {

QTextCharFormat KindFormat(int color_bgr, int style) {
  const FontStyle s = FontStyleFromBits(style);
  QTextCharFormat f;
  f.setForeground(ColorFromBgr(uint32_t(color_bgr)));
  f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(s.italic);
  f.setFontUnderline(s.underline);
  f.setFontStrikeOut(s.strike_out);
  return f;
}

}  // namespace

TextEditor::TextEditor(TextArea& area, settings::MainWindowSettings& conf,
                       std::unique_ptr<EditorHost> host)
    : area_(area), conf_(conf), host_(std::move(host)), timer3_(new QTimer(this)) {
  highlighter_ = std::make_unique<TextHighlighter>(area_.document());
  area_.SetHooks(this);
  timer3_->setSingleShot(true);
  connect(timer3_, &QTimer::timeout, this, [this] { LinkClickGuard = false; });
  SetHighLightFont();
  FontSet();
  SetVScrollBar();
  // A wrap width narrower than the area is a right indent that depends on the area's width: the
  // text is laid out again once a resize (window or splitter) has settled.
  wrap_relayout_ = new QTimer(this);
  wrap_relayout_->setSingleShot(true);
  wrap_relayout_->setInterval(50);
  connect(wrap_relayout_, &QTimer::timeout, this, [this] {
    if (!host_->FileIsOpen()) return;
    const int start = area_.SelStart(), len = area_.SelLength();
    Relayout();
    area_.SetSelStart(start);
    area_.SetSelLength(len);
  });
  area_.viewport()->installEventFilter(this);
}

bool TextEditor::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::Resize && watched == area_.viewport() && WrapWidthApplies())
    wrap_relayout_->start();
  return false;
}

bool TextEditor::WrapWidthApplies() const {
  return conf_.WordWrapMode == 0 && conf_.MaxOrikaeshiHabaCm >= 3;
}

TextEditor::~TextEditor() { area_.SetHooks(nullptr); }

// ---- modes ----------------------------------------------------------------------------------

bool TextEditor::InHighLightMode() const {
  return page_mode_.set ? page_mode_.highlight : conf_.HighLight != 0;
}

bool TextEditor::InItemizeMode() const {
  return page_mode_.set ? page_mode_.itemize : conf_.ItemizeMode;
}

void TextEditor::SetHLTopChars(bool rehighlight) {
  highlighter_->SetSwitches(InHighLightMode(), conf_.URLMail, rehighlight);
}

void TextEditor::SetHighLightFont() {
  HighlightRules r;
  r.lists = HighLightLists::FromEntries(
      conf_.HLComment, conf_.HLKakko, conf_.HLCommand, conf_.HLKeyWordA, conf_.HLKeyWordB,
      conf_.HLKeyWordKanA, conf_.HLKeyWordKanB, conf_.HLKeyWordKigoA, conf_.HLKeyWordKigoB);
  r.top_chars = MakeHLTopChars(r.lists);
  r.kind_fmt[kHLComment] = KindFormat(conf_.HLCommentColor, conf_.HLCommentStyle);
  r.kind_fmt[kHLKakko] = KindFormat(conf_.HLKakkoColor, conf_.HLKakkoStyle);
  r.kind_fmt[kHLCommand] = KindFormat(conf_.HLCommandColor, conf_.HLCommandStyle);
  r.kind_fmt[kHLKeyWordA] = KindFormat(conf_.HLKeyWordAColor, conf_.HLKeyWordAStyle);
  r.kind_fmt[kHLKeyWordB] = KindFormat(conf_.HLKeyWordBColor, conf_.HLKeyWordBStyle);
  r.url_fmt = KindFormat(0xFF0000, kStyleUnderline);
  r.mail_fmt = KindFormat(0x800080, kStyleUnderline);
  highlighter_->SetRules(std::move(r));
}

void TextEditor::FontSet() {
  const QFontMetrics m(area_.font());
  const int ten = m.horizontalAdvance(QString(5, QChar(0x3000)));
  layout_ = ComputeTextLayout(ten, conf_.TabCount, conf_.ItemIndent, conf_.RightMargin,
                              conf_.MaxOrikaeshiHabaCm, area_.logicalDpiX(), area_.logicalDpiX());
  // Tabs past the fifth stop keep the same spacing.
  QTextOption o = area_.document()->defaultTextOption();
  o.setTabStopDistance(std::max(8.0, (layout_.TabStops[0] - 1) * area_.logicalDpiX() / 72.0));
  area_.document()->setDefaultTextOption(o);
}

// ---- layout ---------------------------------------------------------------------------------

QTextBlockFormat TextEditor::ParagraphFormat(double first, double offset) const {
  std::array<double, 5> tabs{};
  for (size_t i = 0; i < 5; ++i) tabs[i] = layout_.TabStops[i];
  const double right =
      RightIndentFor(layout_, area_.lineWrapMode() != QTextEdit::NoWrap, conf_.MaxOrikaeshiHabaCm,
                     area_.viewport()->width(), area_.logicalDpiX());
  return area_.ParaFormat(first, offset, right, tabs);
}

std::pair<double, double> TextEditor::ItemizeIndent(bool item) const {
  // An item hangs: its mark at the margin, the later lines at the item indent.  Any other
  // paragraph is indented as a whole.
  const double indent = layout_.ItemIndentPoints;
  return item ? std::pair(0.0, indent) : std::pair(indent, 0.0);
}

bool TextEditor::IsItemParagraph(const QString& paragraph) const {
  if (paragraph.isEmpty()) return false;
  const QString first = paragraph.left(paragraph.at(0).isHighSurrogate() ? 2 : 1);
  return StartsWithItemChar(TextPositions(first).bytes(), conf_.ItemChar);
}

void TextEditor::LayOut(std::string_view text) {
  SetHLTopChars(false);
  if (InItemizeMode()) {
    const auto [item_first, item_offset] = ItemizeIndent(true);
    const auto [first, offset] = ItemizeIndent(false);
    const QTextBlockFormat item = ParagraphFormat(item_first, item_offset);
    const QTextBlockFormat other = ParagraphFormat(first, offset);
    area_.SetText(text, [&](const QString& p) { return IsItemParagraph(p) ? item : other; });
    return;
  }
  // Normal mode: the first line of every paragraph indented by the indent (+1 point).
  const int n = page_mode_.set ? page_mode_.indent : conf_.ParIndent;
  const int c = NormalIndentPoints(n, layout_.TenCharWidth, area_.logicalDpiX());
  const QTextBlockFormat base = c < 0 ? ParagraphFormat(0, 0) : ParagraphFormat(c + 1, -(c + 1));
  area_.SetText(text, [&](const QString&) { return base; });
}

void TextEditor::ShowPageText(std::string_view text, std::string_view key_field, bool reset_undo) {
  page_mode_ = store::DecodeKey(std::string(key_field));
  host_->SetModeItemsEnabled(!page_mode_.set);
  if (reset_undo) ResetUndoBuf();
  LayOut(text);
}

void TextEditor::Relayout() {
  const bool modified = area_.IsModified();
  LayOut(area_.Text());
  area_.SetModified(modified);
}

void TextEditor::SetParagraph() {
  const int start = area_.SelStart(), len = area_.SelLength();
  Relayout();
  GotoSelStart(start, len);
}

void TextEditor::ChangeTextMode(bool itemize) {
  conf_.ItemizeMode = itemize;
  SetParagraph();
}

void TextEditor::SetHighLight(bool on) {
  conf_.HighLight = on ? 1 : 0;
  SetParagraph();
}

void TextEditor::SetIndent(int pos) {
  if (!InItemizeMode()) return;
  const int at = area_.CharFromByte(pos);
  const QTextBlock block = area_.document()->findBlock(at);
  if (!block.isValid()) return;
  const auto [first, offset] = ItemizeIndent(IsItemParagraph(block.text()));
  area_.SetBlockIndent(block.position(), first, offset);
}

void TextEditor::IndentCheckB(int pos) {
  if (!InItemizeMode()) return;
  const std::string& t = area_.Positions().bytes();
  if (pos == 0 || (pos > 0 && pos <= int(t.size()) && t[size_t(pos) - 1] == '\n')) SetIndent(pos);
}

void TextEditor::IndentCheckA() {
  if (!InItemizeMode()) return;
  // The paragraph's first display line decides, that is the paragraph's first character.
  const QTextBlock block = area_.textCursor().block();
  SetIndent(area_.ByteFromChar(block.position()));
}

void TextEditor::SetVScrollBar() {
  const bool wrap = conf_.WordWrapMode == 0;
  area_.SetWordWrap(wrap);
  const Qt::ScrollBarPolicy always = Qt::ScrollBarAlwaysOn, needed = Qt::ScrollBarAsNeeded,
                            never = Qt::ScrollBarAlwaysOff;
  Qt::ScrollBarPolicy v = always, h = never;
  switch (conf_.VScrollBarMode) {
    case 1:
      v = needed;
      h = wrap ? never : needed;
      break;
    case 2:
      v = never;
      h = wrap ? never : needed;
      break;
    default:
      h = wrap ? never : always;
      break;
  }
  area_.setVerticalScrollBarPolicy(v);
  area_.setHorizontalScrollBarPolicy(h);
}

void TextEditor::GotoSelStart(int pos, int len) {
  area_.setFocus();
  area_.SetSelStart(pos);
  area_.SetSelLength(len);
  area_.ensureCursorVisible();
}

}  // namespace sk::editor
