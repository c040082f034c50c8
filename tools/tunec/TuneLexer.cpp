// The notation's words: names, numbers, comments and note lengths.
#include "TuneLexer.h"

namespace tunec {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || IsDigit(c) || c == '_' || c == '-' || c == '\'';
}

std::string Show(std::string_view text) {
  std::string shown;
  for (char c : text.substr(0, 24)) shown += (c >= 32 && c < 127) ? c : '?';
  return "'" + shown + (text.size() > 24 ? "...'" : "'");
}

std::optional<int> ParseNumber(std::string_view text) {
  if (text.empty() || text.size() > 7) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

int NumberIn(std::string_view text, int low, int high, int line, const char* what) {
  auto value = ParseNumber(text);
  if (!value || *value < low || *value > high) {
    Fail(line, std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ", not " + Show(text));
  }
  return *value;
}

int ProgramByName(std::string_view text, int line) {
  for (const auto& [name, number] : ProgramNames) {
    if (name == text) return number - 1;
  }
  return NumberIn(text, 1, 128, line, "an instrument (name or General MIDI program)") - 1;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && IsSpace(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !IsSpace(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

std::string_view StripComment(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '#' && (i == 0 || IsSpace(text[i - 1]))) return text.substr(0, i);
  }
  return text;
}

std::string Beats(std::int64_t ticks) {
  std::int64_t whole = ticks / Ppq;
  std::int64_t rest = ticks % Ppq;
  std::string text = std::to_string(whole);
  if (rest != 0) {
    // Quarters with up to three decimals are readable for every length we allow.
    std::int64_t thousandths = rest * 1000 / Ppq;
    std::string digits = std::to_string(1000 + thousandths).substr(1);
    while (!digits.empty() && digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return text + (ticks == Ppq ? " quarter note" : " quarter notes");
}

std::optional<std::int64_t> LineScanner::Length() {
  if (!IsLengthLetter(Peek())) return std::nullopt;
  std::int64_t total = 0;
  while (true) {
    std::int64_t value = 0;
    switch (Take()) {
      case 'w':
        value = 4 * Ppq;
        break;
      case 'h':
        value = 2 * Ppq;
        break;
      case 'q':
        value = Ppq;
        break;
      case 'e':
        value = Ppq / 2;
        break;
      case 's':
        value = Ppq / 4;
        break;
      default:
        value = Ppq / 8;
        break;
    }
    std::int64_t added = value;
    int dots = 0;
    while (Peek() == '.') {
      Take();
      if (++dots > 3) Fail(line_, "more than three dots on one length");
      if (added % 2 != 0) Fail(line_, "a dotted length finer than the smallest tick");
      added /= 2;
      value += added;
    }
    if (Peek() == '3') {
      Take();
      if (value % 3 != 0) Fail(line_, "this length cannot be split into triplets");
      value = value * 2 / 3;
    }
    total += value;
    if (total > 64 * Ppq) Fail(line_, "a note or rest longer than 16 whole notes");
    if (Peek() == '+' && IsLengthLetter(Peek(1))) {
      Take();
      continue;
    }
    return total;
  }
}

}  // namespace tunec
