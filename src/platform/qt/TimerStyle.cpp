// Style tweaks of the program (see TimerStyle.h).
#include "TimerStyle.h"

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
