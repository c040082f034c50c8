// The main window's clock (see ClockLabel.h).
#include "ClockLabel.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

namespace {
// Any text may be set; the cache only ever needs the clock's few characters.
constexpr qsizetype MaxCachedGlyphs = 64;
}  // namespace

ClockLabel::ClockLabel(QWidget* parent) : QWidget(parent) {
  // Every pixel is ours: nothing behind the clock is repainted with it.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

const QPixmap& ClockLabel::Glyph(QChar c) {
  auto found = glyphs_.constFind(c.unicode());
  if (found != glyphs_.constEnd()) return *found;
  if (glyphs_.size() >= MaxCachedGlyphs) glyphs_.clear();
  const QFontMetrics metrics = fontMetrics();
  const qreal ratio = devicePixelRatioF();
  const QSize size(std::max(1, metrics.horizontalAdvance(c)), std::max(1, metrics.height()));
  QPixmap pixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(palette().color(QPalette::Window));
  QPainter painter(&pixmap);
  painter.setFont(font());
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawText(QPointF(0, metrics.ascent()), QString(c));
  painter.end();
  return *glyphs_.insert(c.unicode(), pixmap);
}

QList<ClockLabel::Cell> ClockLabel::LayOut(const QString& text) {
  QList<Cell> cells;
  cells.reserve(text.size());
  int total = 0;
  for (QChar c : text) {
    const int w = static_cast<int>(Glyph(c).deviceIndependentSize().width());
    cells.append(Cell{c, total, w});
    total += w;
  }
  const int left = (width() - total) / 2;
  for (Cell& cell : cells) cell.X += left;
  return cells;
}

void ClockLabel::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  QList<Cell> cells = LayOut(text_);
  // Repaint what differs: the cells that changed, and those that went.
  QRegion dirty;
  const int h = height();
  for (qsizetype i = 0; i < std::max(cells.size(), cells_.size()); ++i) {
    const bool inNew = i < cells.size();
    const bool inOld = i < cells_.size();
    if (inNew && inOld && cells[i].Char == cells_[i].Char && cells[i].X == cells_[i].X) continue;
    if (inNew) dirty += QRect(cells[i].X, 0, cells[i].Width, h);
    if (inOld) dirty += QRect(cells_[i].X, 0, cells_[i].Width, h);
  }
  cells_ = std::move(cells);
  // Painted at once: a posted update would wake the event loop a second time.
  if (!dirty.isEmpty()) repaint(dirty);
}

void ClockLabel::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  painter.fillRect(event->rect(), palette().color(QPalette::Window));
  for (const Cell& cell : cells_) {
    const QRect where(cell.X, 0, cell.Width, height());
    if (event->region().intersects(where)) painter.drawPixmap(cell.X, 0, Glyph(cell.Char));
  }
}

void ClockLabel::changeEvent(QEvent* event) {
  const auto type = event->type();
  if (type == QEvent::FontChange || type == QEvent::PaletteChange || type == QEvent::StyleChange) {
    glyphs_.clear();
    cells_ = LayOut(text_);
    update();
  }
  QWidget::changeEvent(event);
}

void ClockLabel::resizeEvent(QResizeEvent* event) {
  cells_ = LayOut(text_);
  QWidget::resizeEvent(event);
}
