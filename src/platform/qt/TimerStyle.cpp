// Style tweaks of the program (see TimerStyle.h).
#include "TimerStyle.h"

#include <QPainter>
#include <QPixmap>
#include <QStyleOptionButton>

#include "app/Tooltips.h"

TimerStyle::TimerStyle() : QProxyStyle() {}

int TimerStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                          QStyleHintReturn* returnData) const {
  switch (hint) {
    case SH_ToolTip_WakeUpDelay:
      return TooltipInitialDelayMs;
    case SH_DrawMenuBarSeparator:
      return 1;  // the "__" item stands at the right end of the bar
    default:
      return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
}

QIcon TimerStyle::standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const {
  // Every menu bar asks for its overflow arrow when it is made; the style's
  // own is an image file, and reading it loads every image format plugin
  // before the window can show. Ours fits its bar, so the arrow is rarely seen.
  if (icon != SP_ToolBarHorizontalExtensionButton && icon != SP_ToolBarVerticalExtensionButton) {
    return QProxyStyle::standardIcon(icon, option, widget);
  }
  QPixmap pixmap(8, 8);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  if (icon == SP_ToolBarVerticalExtensionButton) {
    painter.translate(8, 0);
    painter.rotate(90);
  }
  for (int x : {1, 4}) painter.drawPolyline(QPolygon({QPoint(x, 1), QPoint(x + 3, 4), QPoint(x, 7)}));
  painter.end();
  return QIcon(pixmap);
}

void TimerStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  QRect inside;
  if (element == CE_PushButton && (option->state & State_HasFocus)) {
    // Styles that mark the default button the way they mark focus (Fusion)
    // leave the Timer button's focus unseen: a dotted frame inside shows it.
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (!button) return;
    inside = subElementRect(SE_PushButtonContents, button, widget).adjusted(1, 1, -1, -1);
  } else if (element == CE_MenuBarItem && (option->state & State_Selected) && widget && widget->hasFocus()) {
    // Styles highlight a bar item only while its menu is open, and ours have
    // none: the item the keyboard is on (after Alt) gets the same frame.
    inside = option->rect.adjusted(1, 1, -1, -1);
  } else {
    return;
  }
  painter->save();
  painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(inside.adjusted(0, 0, -1, -1));
  painter->restore();
}
