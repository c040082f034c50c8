// Small pure helpers of the Qt shell (see ShellRules.h).
#include "ShellRules.h"

#include <QStringList>
#include <algorithm>

#include "alarm/Countdown.h"
#include "app/Desktop.h"
#include "app/Ids.h"
#include "app/Text.h"

std::optional<int> AcceleratorCommand(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
  Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  if (mods == Qt::ShiftModifier && qtKey == Qt::Key_Backtab) {  // Tab's two stops: the same toggle
    mods = Qt::NoModifier;
    qtKey = Qt::Key_Tab;
  }
  const bool plain = (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0;
  for (const Accelerator& key : Accelerators) {
    if (!key.Typed) {
      const bool enter = qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter;
      if (mods == Qt::NoModifier && (key.Key == EnterKey ? enter : qtKey == Qt::Key_Tab)) return key.Command;
    } else if (key.Alt) {
      if (mods == Qt::AltModifier && qtKey == QChar(key.Key).toUpper().unicode()) return key.Command;
    } else if (plain && text.size() == 1 && text.at(0) == QLatin1Char(key.Key)) {
      return key.Command;
    }
  }
  return std::nullopt;
}

int MsUntilNextTick(int msIntoSecond) {
  const int ms = std::clamp(msIntoSecond, 0, 999);
  return 1000 - ms + TickLateMs;
}

std::optional<LimitedText> LimitTyping(const QString& before, const QString& after, int limit) {
  if (after.size() <= limit || after.size() <= before.size()) return std::nullopt;
  // What the edit replaced: the common start and end stay.
  int prefix = 0;
  const int shorter = static_cast<int>(std::min(before.size(), after.size()));
  while (prefix < shorter && before.at(prefix) == after.at(prefix)) ++prefix;
  int suffix = 0;
  while (suffix < shorter - prefix && before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix)) {
    ++suffix;
  }
  const int removed = static_cast<int>(before.size()) - prefix - suffix;
  const QString inserted = after.mid(prefix, after.size() - prefix - suffix);
  const int kept = static_cast<int>(before.size()) - removed;
  const int room = std::max(0, limit - kept);
  const QString fitting = inserted.left(room);
  LimitedText result;
  result.Text = before.left(prefix) + fitting + before.mid(prefix + removed);
  result.Cursor = prefix + static_cast<int>(fitting.size());
  return result;
}

QString WrapToWidth(const QString& text, int maxWidth, const std::function<int(const QString&)>& widthOf) {
  const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  QStringList lines;
  QString line;
  for (const QString& word : words) {
    const QString candidate = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (line.isEmpty() || widthOf(candidate) <= maxWidth) {
      line = candidate;
    } else {
      lines << line;
      line = word;
    }
  }
  if (!line.isEmpty()) lines << line;
  return lines.join(QLatin1Char('\n'));
}

QString CaptionAnnouncement(const QString& previous, const QString& caption, const QString& countdown,
                            const QString& timeLeft) {
  const QString timeIsUp = QString::fromUtf8(TimeIsUpCaption);
  if (caption == QLatin1String(TimerStartedCaption))
    return timeLeft.isEmpty() ? caption : caption + QLatin1String(", ") + timeLeft;
  if (caption == countdown || caption == QLatin1String(TimerCaption) || caption == timeIsUp || previous == timeIsUp)
    return {};
  return caption;
}
