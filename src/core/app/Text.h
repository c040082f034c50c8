// Small text helpers shared by the rules. A blank is the space character only.
#pragma once

#include <string>
#include <string_view>

// Removes blanks from the end, then from the start.
inline std::string TrimBlanks(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  std::size_t start = 0;
  while (start < end && text[start] == ' ') ++start;
  return std::string(text.substr(start, end - start));
}
