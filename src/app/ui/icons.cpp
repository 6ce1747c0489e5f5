#include "app/ui/icons.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

namespace sk::app {

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

QString ToolbarGlyph(const QString& name) {
  static const struct {
    const char* name;
    const char* glyph;
  } kGlyphs[] = {
      {"AddSpeedButton", "＋"},
      {"PriorFindSpeedButton", "前検"},
      {"NextFindSpeedButton", "後検"},
      {"UpFindSpeedButton", "↑検"},
      {"DownFindSpeedButton", "↓検"},
      {"ToFisrtBtn", "|◀"},
      {"TenPriorSpeedButton", "◀◀"},
      {"PriorBtn", "◀"},
      {"NextBtn", "▶"},
      {"TenNextSpeedButton", "▶▶"},
      {"ToLastBtn", "▶|"},
      {"LastYearSpeedButton", "年◀"},
      {"NextYearSpeedButton", "▶年"},
      {"ChangeImageViewModeSpeedButton", "画"},
      {"SpeedButton1", "画＋"},
      {"SpeedButton3", "画◀"},
      {"SpeedButton2", "画▶"},
      {"ModoruButton", "戻"},
      {"SusumuButton", "進"},
      {"ShioriListSpeedButton", "栞"},
      {"PageListSpeedButton", "覧"},
  };
  for (const auto& g : kGlyphs)
    if (name == QLatin1String(g.name)) return QString::fromUtf8(g.glyph);
  return {};
}

QIcon ToolbarIcon(const QString& name) {
  if (name == QLatin1String("OpenBtn"))
    return QApplication::style()->standardIcon(QStyle::SP_DialogOpenButton);
  return {};
}

}  // namespace sk::app
