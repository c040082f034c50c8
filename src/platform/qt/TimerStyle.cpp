// Style tweaks of the program (see TimerStyle.h).
#include "TimerStyle.h"

#include <QPainter>
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

void TimerStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
  QProxyStyle::drawControl(element, option, painter, widget);
  // Styles that mark the default button the way they mark focus (Fusion)
  // leave the Timer button's focus unseen: a dotted frame inside shows it.
  if (element != CE_PushButton || !(option->state & State_HasFocus)) return;
  const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
  if (!button) return;
  const QRect inside = subElementRect(SE_PushButtonContents, button, widget).adjusted(1, 1, -1, -1);
  painter->save();
  painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(inside.adjusted(0, 0, -1, -1));
  painter->restore();
}
