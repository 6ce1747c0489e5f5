#include "app/ui/icons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QTransform>
#include <functional>
#include <map>

namespace sk::app {

namespace {

// The sizes a drawn icon is made in; Qt scales between them.
constexpr int kSizes[] = {16, 22, 24, 32, 48};

const QColor kInk(0x3c, 0x46, 0x50);
const QColor kArrow(0x2f, 0x6f, 0xc0);
const QColor kPaper(0xfc, 0xfc, 0xfa);

using Drawing = std::function<void(QPainter&)>;

// An icon made at every size of kSizes, each pixmap painted by paint(painter, size).
QIcon AtEverySize(const std::function<void(QPainter&, int)>& paint) {
  QIcon icon;
  for (int size : kSizes) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p, size);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

// An icon drawn on a 16 x 16 grid.
QIcon Drawn(const Drawing& draw) {
  return AtEverySize([&](QPainter& p, int size) {
    p.scale(size / 16.0, size / 16.0);
    draw(p);
  });
}

void Fill(QPainter& p, const QPolygonF& shape, const QColor& color) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawPolygon(shape);
}

// A solid triangle pointing left (dir -1) or right (1) with its tip at x, 10 units high.
QPolygonF Triangle(double x, int dir) {
  const double back = x - dir * 6.5;
  return QPolygonF({QPointF(back, 3), QPointF(x, 8), QPointF(back, 13)});
}

void Arrow(QPainter& p, int dir) {  // a broad arrow pointing left (-1) or right (1)
  const double tip = dir < 0 ? 1.5 : 14.5;
  const double neck = tip - dir * 6.5;
  const double tail = dir < 0 ? 14.5 : 1.5;
  Fill(p,
       QPolygonF({QPointF(tip, 8), QPointF(neck, 1.5), QPointF(neck, 5.5), QPointF(tail, 5.5),
                  QPointF(tail, 10.5), QPointF(neck, 10.5), QPointF(neck, 14.5)}),
       kArrow);
}

void Page(QPainter& p) {  // a sheet with a folded corner
  QPainterPath sheet;
  sheet.moveTo(3, 1.5);
  sheet.lineTo(10, 1.5);
  sheet.lineTo(13.5, 5);
  sheet.lineTo(13.5, 14.5);
  sheet.lineTo(3, 14.5);
  sheet.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(sheet);
  p.drawPolyline(QPolygonF({QPointF(10, 1.5), QPointF(10, 5), QPointF(13.5, 5)}));
}

void Picture(QPainter& p) {  // a framed landscape: sky, sun and a hill
  const QRectF frame(1.5, 2.5, 13, 11);
  QLinearGradient sky(0, 2.5, 0, 13.5);
  sky.setColorAt(0, QColor(0x7c, 0xb4, 0xea));
  sky.setColorAt(1, QColor(0xc8, 0xe2, 0xf8));
  p.setPen(QPen(kInk, 1));
  p.setBrush(sky);
  p.drawRect(frame);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xf2, 0xc2, 0x30));
  p.drawEllipse(QPointF(11, 5.8), 1.6, 1.6);
  Fill(p,
       QPolygonF({QPointF(2, 13), QPointF(6.5, 7.5), QPointF(9.5, 10.5), QPointF(11, 9),
                  QPointF(14, 13)}),
       QColor(0x4c, 0x9a, 0x3c));
}

void Plus(QPainter& p, QPointF at) {  // a green plus sign centred at `at`
  p.setPen(QPen(QColor(0x2e, 0x8b, 0x2e), 2.2, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(at + QPointF(-3, 0), at + QPointF(3, 0));
  p.drawLine(at + QPointF(0, -3), at + QPointF(0, 3));
}

const std::map<QString, Drawing>& Drawings() {
  static const std::map<QString, Drawing> map = {
      {"document-open",
       [](QPainter& p) {
         p.setPen(QPen(QColor(0x9a, 0x6c, 0x12), 1));
         p.setBrush(QColor(0xe0, 0xa8, 0x3c));
         p.drawPolygon(QPolygonF({QPointF(1.5, 3), QPointF(6, 3), QPointF(7.5, 4.5),
                                  QPointF(13.5, 4.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
         p.setBrush(QColor(0xf6, 0xcc, 0x62));
         p.drawPolygon(
             QPolygonF({QPointF(1.5, 13.5), QPointF(4, 7), QPointF(15.5, 7), QPointF(13.5, 13.5)}));
       }},
      {"document-new",
       [](QPainter& p) {
         Page(p);
         Plus(p, QPointF(11.5, 11.5));
       }},
      {"edit-find",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 2.6, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(10, 10), QPointF(14, 14));
         p.setPen(QPen(kInk, 1.6));
         p.setBrush(QColor(0xdc, 0xec, 0xfa));
         p.drawEllipse(QPointF(6.5, 6.5), 4.6, 4.6);
       }},
      {"go-first",
       [](QPainter& p) {
         Fill(p, QPolygonF(QRectF(2, 3, 2, 10)), kArrow);
         Fill(p, Triangle(5, -1), kArrow);
       }},
      {"media-seek-backward",
       [](QPainter& p) {
         Fill(p, Triangle(1, -1), kArrow);
         Fill(p, Triangle(8, -1), kArrow);
       }},
      {"go-previous", [](QPainter& p) { Arrow(p, -1); }},
      {"go-next", [](QPainter& p) { Arrow(p, 1); }},
      {"media-seek-forward",
       [](QPainter& p) {
         Fill(p, Triangle(8, 1), kArrow);
         Fill(p, Triangle(15, 1), kArrow);
       }},
      {"go-last",
       [](QPainter& p) {
         Fill(p, Triangle(11, 1), kArrow);
         Fill(p, QPolygonF(QRectF(12, 3, 2, 10)), kArrow);
       }},
      {"x-office-calendar",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(kPaper);
         p.drawRect(QRectF(1.5, 2.5, 13, 12));
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(0xc8, 0x3c, 0x3c));
         p.drawRect(QRectF(2, 3, 12, 3));
         p.setBrush(kInk);
         for (int row = 0; row < 3; ++row)
           for (int col = 0; col < 4; ++col)
             p.drawRect(QRectF(3 + col * 2.8, 7.3 + row * 2.3, 1.6, 1.4));
       }},
      {"zoom-fit-best",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 1));
         p.setBrush(Qt::NoBrush);
         p.drawRect(QRectF(1.5, 1.5, 13, 13));
         p.setPen(QPen(kArrow, 1.4));
         p.drawLine(QPointF(4, 4), QPointF(12, 12));
         p.drawLine(QPointF(12, 4), QPointF(4, 12));
         for (QPointF c : {QPointF(4, 4), QPointF(12, 4), QPointF(4, 12), QPointF(12, 12)}) {
           const double dx = c.x() < 8 ? 2.8 : -2.8, dy = c.y() < 8 ? 2.8 : -2.8;
           Fill(p, QPolygonF({c, c + QPointF(dx, 0), c + QPointF(0, dy)}), kArrow);
         }
       }},
      {"image-x-generic", [](QPainter& p) { Picture(p); }},
      {"insert-image",
       [](QPainter& p) {
         Picture(p);
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(255, 255, 255, 230));
         p.drawEllipse(QPointF(11.5, 11.5), 4, 4);
         Plus(p, QPointF(11.5, 11.5));
       }},
      {"document-open-recent",
       [](QPainter& p) {
         p.setPen(QPen(kInk, 1.3));
         p.setBrush(kPaper);
         p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
         p.setPen(QPen(kInk, 1.5, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(8, 8), QPointF(8, 3.8));
         p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
       }},
      {"user-bookmarks",
       [](QPainter& p) {
         p.setPen(QPen(QColor(0x8c, 0x1c, 0x1c), 1));
         p.setBrush(QColor(0xd8, 0x3a, 0x3a));
         p.drawPolygon(QPolygonF({QPointF(4, 1.5), QPointF(12, 1.5), QPointF(12, 14.5),
                                  QPointF(8, 10.5), QPointF(4, 14.5)}));
       }},
      {"view-list",
       [](QPainter& p) {
         p.setPen(Qt::NoPen);
         for (int row = 0; row < 4; ++row) {
           p.setBrush(kArrow);
           p.drawRect(QRectF(1.5, 2 + row * 3.5, 2.5, 2.5));
           p.setBrush(kInk);
           p.drawRect(QRectF(5.5, 2.5 + row * 3.5, 9, 1.5));
         }
       }},
  };
  return map;
}

// A small arrow in a disc in the lower right corner, telling apart buttons that share an icon.
enum class Badge { None, Left, Right, Up, Down };

void DrawBadge(QPainter& p, Badge badge) {
  const QPointF c(11.8, 11.8);
  p.setPen(QPen(Qt::white, 1));
  p.setBrush(QColor(0x1f, 0x5f, 0xb0));
  p.drawEllipse(c, 3.9, 3.9);
  QPolygonF tri({QPointF(-2.2, -2.3), QPointF(2.4, 0), QPointF(-2.2, 2.3)});  // pointing right
  double angle = 0;
  if (badge == Badge::Left) angle = 180;
  if (badge == Badge::Up) angle = -90;
  if (badge == Badge::Down) angle = 90;
  QTransform t;
  t.translate(c.x(), c.y());
  t.rotate(angle);
  Fill(p, t.map(tri), Qt::white);
}

QIcon WithBadge(const QIcon& base, Badge badge) {
  if (badge == Badge::None) return base;
  return AtEverySize([&](QPainter& p, int size) {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRect(0, 0, size, size), base.pixmap(QSize(size, size)));
    p.scale(size / 16.0, size / 16.0);
    DrawBadge(p, badge);
  });
}

struct ButtonIcon {
  const char* button;
  const char* name;  // freedesktop icon name
  Badge badge;
};

constexpr ButtonIcon kButtonIcons[] = {
    {"OpenBtn", "document-open", Badge::None},
    {"AddSpeedButton", "document-new", Badge::None},
    {"PriorFindSpeedButton", "edit-find", Badge::Left},
    {"NextFindSpeedButton", "edit-find", Badge::Right},
    {"UpFindSpeedButton", "edit-find", Badge::Up},
    {"DownFindSpeedButton", "edit-find", Badge::Down},
    {"ToFisrtBtn", "go-first", Badge::None},
    {"TenPriorSpeedButton", "media-seek-backward", Badge::None},
    {"PriorBtn", "go-previous", Badge::None},
    {"NextBtn", "go-next", Badge::None},
    {"TenNextSpeedButton", "media-seek-forward", Badge::None},
    {"ToLastBtn", "go-last", Badge::None},
    {"LastYearSpeedButton", "x-office-calendar", Badge::Left},
    {"NextYearSpeedButton", "x-office-calendar", Badge::Right},
    {"ChangeImageViewModeSpeedButton", "zoom-fit-best", Badge::None},
    {"SpeedButton1", "insert-image", Badge::None},
    {"SpeedButton3", "image-x-generic", Badge::Left},
    {"SpeedButton2", "image-x-generic", Badge::Right},
    {"ModoruButton", "document-open-recent", Badge::Left},
    {"SusumuButton", "document-open-recent", Badge::Right},
    {"ShioriListSpeedButton", "user-bookmarks", Badge::None},
    {"PageListSpeedButton", "view-list", Badge::None},
};

const ButtonIcon* FindButton(const QString& name) {
  for (const ButtonIcon& b : kButtonIcons)
    if (name == QLatin1String(b.button)) return &b;
  return nullptr;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 48, 64}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(0x3b, 0x7d, 0xd8));
    sky.setColorAt(1, QColor(0x9c, 0xc8, 0xf5));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(22, 36), 10, 10);
    p.drawEllipse(QPointF(34, 29), 13, 13);
    p.drawEllipse(QPointF(45, 37), 9, 9);
    p.drawRoundedRect(QRectF(14, 36, 38, 10), 5, 5);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

QIcon FallbackIcon(const QString& icon_name) {
  auto it = Drawings().find(icon_name);
  return it == Drawings().end() ? QIcon() : Drawn(it->second);
}

QString ToolbarIconName(const QString& button_name) {
  const ButtonIcon* b = FindButton(button_name);
  return b ? QString::fromLatin1(b->name) : QString();
}

QIcon ToolbarIcon(const QString& button_name) {
  const ButtonIcon* b = FindButton(button_name);
  if (!b) return {};
  const QString name = QString::fromLatin1(b->name);
  // A theme may list a name it cannot draw (an SVG without Qt's SVG plugin): such an icon gives
  // no pixmap, and the drawn one stands in.
  QIcon base;
  if (QIcon::hasThemeIcon(name)) base = QIcon::fromTheme(name);
  if (base.isNull() || base.pixmap(QSize(16, 16)).isNull()) base = FallbackIcon(name);
  return WithBadge(base, b->badge);
}

}  // namespace sk::app
