// Small pure helpers of the Qt shell (see ShellRules.h).
#include "ShellRules.h"

#include <QStringList>
#include <algorithm>

#include "app/Ids.h"
#include "app/Text.h"

std::optional<int> AcceleratorCommand(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text) {
  const Qt::KeyboardModifiers mods = modifiers & ~Qt::KeypadModifier;
  if (mods == Qt::NoModifier) {
    if (qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter) return CmdStartTimer;
    if (qtKey == Qt::Key_Tab) return CmdNextFocus;
  }
  if (mods == Qt::ShiftModifier && qtKey == Qt::Key_Backtab) return CmdNextFocus;  // two stops: same toggle
  if (mods == Qt::AltModifier && qtKey == Qt::Key_T) return CmdStartTimer;
  // Character entries match the typed character exactly: only lower case.
  if ((mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) == 0 && text.size() == 1) {
    switch (text.at(0).unicode()) {
      case 'h':
        return CmdHelp;
      case 'g':
        return CmdGo;
      case 's':
        return CmdStop;
      case 'v':
        return CmdVolume;
      case 'f':
        return CmdFolder;
      case 't':
        return CmdStartTimer;
      default:
        break;
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

DialogUnits DialogUnits::FromFont(int widthOfAlphabet, int charHeight) {
  DialogUnits units;
  units.BaseX = std::max(1, (widthOfAlphabet / 26 + 1) / 2);
  units.BaseY = std::max(1, charHeight);
  return units;
}

int DialogUnits::X(int units) const { return (units * BaseX + 2) / 4; }
int DialogUnits::Y(int units) const { return (units * BaseY + 4) / 8; }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  // Corners are converted, so neighbouring controls meet without gaps.
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
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
