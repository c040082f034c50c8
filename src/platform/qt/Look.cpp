// Colours, fonts, centring and the drawn program icon (see Look.h).
#include "Look.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>

QFont TemplateFont() {
  QFont font = QApplication::font();
  if (font.pointSizeF() < TemplatePointSize) font.setPointSizeF(TemplatePointSize);
  return font;
}

DialogUnits UnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  return DialogUnits::FromFont(
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
      metrics.height());
}

void PaintYellow(QWidget* window) {
  QPalette palette = window->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Window, BackgroundColour);
    palette.setColor(group, QPalette::Base, BackgroundColour);
    palette.setColor(group, QPalette::WindowText, TextColour);
    palette.setColor(group, QPalette::Text, TextColour);
  }
  palette.setColor(QPalette::Disabled, QPalette::Window, BackgroundColour);
  palette.setColor(QPalette::Disabled, QPalette::Base, BackgroundColour);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
}

void KeepSystemColours(QWidget* widget) {
  // Every role set explicitly, so nothing is inherited from the yellow window.
  const QPalette system = QApplication::palette(widget);
  QPalette palette = system;
  for (int group = 0; group < QPalette::NColorGroups; ++group) {
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
      const auto g = static_cast<QPalette::ColorGroup>(group);
      const auto r = static_cast<QPalette::ColorRole>(role);
      if (r == QPalette::NoRole) continue;
      palette.setBrush(g, r, system.brush(g, r));
    }
  }
  widget->setPalette(palette);
}

int TimeEditWidthFor(const QLineEdit& edit) {
  // What the style's frame takes, measured at an arbitrary width.
  QStyleOptionFrame option;
  option.initFrom(&edit);
  option.rect = QRect(0, 0, 100, edit.height());
  option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
  const int frame = 100 - edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit).width();
  const QMargins margins = edit.textMargins();
  constexpr int lineEditMargins = 2 * 2;  // QLineEdit's own space beside the text
  constexpr int cursorWidth = 1;
  return edit.fontMetrics().horizontalAdvance(QString(10, QLatin1Char('0'))) + frame + margins.left() +
         margins.right() + lineEditMargins + cursorWidth;
}

int NoticeMinimumWidth(const QString& caption) {
  QFont titleFont = QApplication::font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.2);
  const QFontMetrics metrics(titleFont);
  // Icon, close box and padding, on both sides of a centred title.
  return metrics.horizontalAdvance(caption) + 6 * metrics.height();
}

QRect Pixels(const DialogUnits& units, const Rect& where) {
  const Rect pixels = units.ToPixels(where);
  return QRect(pixels.X, pixels.Y, pixels.Width, pixels.Height);
}

void Place(QWidget* control, const QRect& where) {
  control->setFixedSize(where.size());
  control->move(where.topLeft());
}

QPoint CenteredCorner(const QSize& screen, const QSize& window) {
  return QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
}

void CenterOnScreen(QWidget* window) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // Before the first show the frame is not known yet; the client size stands in.
  const QSize outer = window->frameGeometry().size().expandedTo(window->size());
  const QRect area = screen->geometry();
  window->move(area.topLeft() + CenteredCorner(area.size(), outer));
}

namespace {
// A round kitchen timer: yellow face, blue rim, a knob on top, one hand.
QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  p.setPen(Qt::NoPen);
  p.setBrush(TextColour);
  p.drawRoundedRect(QRectF(26, 2, 12, 8), 2, 2);  // knob
  p.drawEllipse(QPointF(32, 36), 27, 27);         // rim
  p.setBrush(BackgroundColour);
  p.drawEllipse(QPointF(32, 36), 21, 21);  // face
  p.setPen(QPen(TextColour, 3, Qt::SolidLine, Qt::RoundCap));
  for (int i = 0; i < 12; i += 3) {
    p.save();
    p.translate(32, 36);
    p.rotate(i * 30);
    p.drawLine(QPointF(0, -17), QPointF(0, -14));
    p.restore();
  }
  p.setPen(QPen(QColor(200, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(32, 36), QPointF(43, 25));  // hand
  p.setPen(Qt::NoPen);
  p.setBrush(TextColour);
  p.drawEllipse(QPointF(32, 36), 3.5, 3.5);
  return pixmap;
}
}  // namespace

QIcon TimerIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) icon.addPixmap(DrawIcon(size));
  return icon;
}
