// Small pure helpers of the Qt shell: the core's text, the accelerator table, the tick
// schedule, the typing limit, tooltip wrapping and the caption's announcements.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

// The core's UTF-8 text as Qt's.
inline QString FromText(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The main window's accelerator table: the command a key press stands for,
// or nothing when the key is to be typed or handled normally.
std::optional<int> AcceleratorCommand(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// Milliseconds from now until just after the next wall-clock second begins,
// given how far into the current second we are.
int MsUntilNextTick(int msIntoSecond);
inline constexpr int TickLateMs = 5;

// The typing limit of the time box: it bounds what the user types, never
// the text the program puts there. Given the text before and after an edit,
// returns the text (and cursor) to keep when the edit went past the limit:
// the inserted characters are cut to what still fits.
struct LimitedText {
  QString Text;
  int Cursor = 0;
};
std::optional<LimitedText> LimitTyping(const QString& before, const QString& after, int limit);

// Breaks a text into lines no wider than maxWidth, at spaces; a single word
// wider than that stands on its own line.
QString WrapToWidth(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf);

// What a screen reader is told as the caption becomes `caption`, or nothing:
// the timer's start with the time left (`timeLeft`), and each song or tune
// as it starts. The countdown (`countdown`, the caption the ticks write) is
// read only when asked for, the alarm is told with its message, and the
// song that starts with the alarm is not said over it.
QString CaptionAnnouncement(const QString& previous, const QString& caption, const QString& countdown,
                            const QString& timeLeft);
