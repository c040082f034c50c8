// The program's name and captions, and small text helpers shared by the
// rules. A blank is the space character only.
#pragma once

#include <string>
#include <string_view>

// The title of the program's message boxes and the sender of its notification.
inline constexpr char ProgramName[] = "Tovin's Timer";
// The caption while nothing counts down and no song shows.
inline constexpr char TimerCaption[] = "Timer";
// An entry just accepted, until the next tick shows the time left.
inline constexpr char TimerStartedCaption[] = "Timer started";
// The caption at the alarm, which a screen reader also announces.
inline constexpr char TimeIsUpCaption[] = "Time is up!";

// Removes blanks from the end, then from the start.
inline std::string TrimBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t start = 0;
  while (start < end && text[start] == ' ') ++start;
  return std::string(text.substr(start, end - start));
}
