// The look both windows share: colours, the template font, dialog units,
// centring and the program icon.
#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>

#include "app/Desktop.h"

class QLineEdit;
class QWidget;

inline const QColor BackgroundColour(BackgroundRgb.Red, BackgroundRgb.Green, BackgroundRgb.Blue);
inline const QColor TextColour(TextRgb.Red, TextRgb.Green, TextRgb.Blue);
// The windows are laid out for a 12-point font, in the desktop's own family.
inline constexpr double TemplatePointSize = 12.0;

QFont TemplateFont();
DialogUnits UnitsOf(const QFont& font);
// Light-yellow background, dark-blue text in edits, labels and check boxes.
void PaintYellow(QWidget* window);
// The desktop's own colours, for push buttons and the menu bar.
void KeepSystemColours(QWidget* widget);
// Places the window (its frame included) at the centre of the primary screen.
void CenterOnScreen(QWidget* window);
// The top-left corner that centres a window: differences halved, truncated.
QPoint CenteredCorner(const QSize& screen, const QSize& window);
QIcon TimerIcon();
// The width at which the time box shows ten typed digits without scrolling.
int TimeEditWidthFor(const QLineEdit& edit);
// The least width of a message box that shows its whole caption beside the
// title bar's icon and buttons (window managers draw titles larger and bold).
int NoticeMinimumWidth(const QString& caption);
// A template rectangle in pixels.
QRect Pixels(const DialogUnits& units, const Rect& where);
// Puts a control at its template place with a fixed size, so that a new text
// never sends the window's layout round again (the clock changes each second).
void Place(QWidget* control, const QRect& where);
