// The desktop's own style with the program's few changes: tooltips wake up
// quickly, a separator in the menu bar pushes later items to its right end,
// a push button or menu-bar item with the keyboard focus always shows it, and
// the menu bar's overflow arrow is drawn rather than read from a file.
#pragma once

#include <QProxyStyle>

class TimerStyle : public QProxyStyle {
 public:
  TimerStyle();
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                QStyleHintReturn* returnData = nullptr) const override;
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
};
