// The clock of the main window: a fixed-size widget that paints only itself,
// from character images drawn once, so that a tick costs a few small copies.
#pragma once

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QWidget>

class ClockLabel : public QWidget {
  Q_OBJECT
 public:
  explicit ClockLabel(QWidget* parent = nullptr);

  QString Text() const { return text_; }
  // Centred at the top like the other labels; only the characters that
  // changed (usually the last digit) are repainted.
  void SetText(const QString& text);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Cell {
    QChar Char;
    int X = 0;
    int Width = 0;
  };
  const QPixmap& Glyph(QChar c);
  QList<Cell> LayOut(const QString& text);

  QString text_;
  QList<Cell> cells_;
  QHash<char16_t, QPixmap> glyphs_;  // drawn once per font and colours
};
