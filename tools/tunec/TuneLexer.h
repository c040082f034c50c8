// The notation's words: names, numbers, comments and note lengths, read from
// one line of text; shared by the parser's line and music readers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TuneModel.h"

namespace tunec {

// General MIDI programs by a short name, 1-based as musicians count them.
inline constexpr std::array<std::pair<std::string_view, int>, 62> ProgramNames = {{
    {"piano", 1},         {"brightpiano", 2},  {"honkytonk", 4},     {"epiano", 5},       {"harpsichord", 7},
    {"clavinet", 8},      {"celesta", 9},      {"glockenspiel", 10}, {"musicbox", 11},    {"vibraphone", 12},
    {"marimba", 13},      {"xylophone", 14},   {"bells", 15},        {"dulcimer", 16},    {"organ", 17},
    {"churchorgan", 20},  {"reedorgan", 21},   {"accordion", 22},    {"harmonica", 23},   {"bandoneon", 24},
    {"nylonguitar", 25},  {"steelguitar", 26}, {"jazzguitar", 27},   {"cleanguitar", 28}, {"mutedguitar", 29},
    {"acousticbass", 33}, {"fingerbass", 34},  {"pickbass", 35},     {"fretless", 36},    {"violin", 41},
    {"viola", 42},        {"cello", 43},       {"contrabass", 44},   {"tremolo", 45},     {"pizzicato", 46},
    {"harp", 47},         {"timpani", 48},     {"strings", 49},      {"slowstrings", 50}, {"synthstrings", 51},
    {"choir", 53},        {"voice", 54},       {"trumpet", 57},      {"trombone", 58},    {"tuba", 59},
    {"mutedtrumpet", 60}, {"horn", 61},        {"brass", 62},        {"sopranosax", 65},  {"altosax", 66},
    {"tenorsax", 67},     {"oboe", 69},        {"englishhorn", 70},  {"bassoon", 71},     {"clarinet", 72},
    {"piccolo", 73},      {"flute", 74},       {"recorder", 75},     {"panflute", 76},    {"whistle", 79},
    {"ocarina", 80},      {"fiddle", 111},
}};

inline constexpr std::array<std::pair<std::string_view, int>, 8> Dynamics = {{
    {"ppp", 24},
    {"pp", 36},
    {"p", 50},
    {"mp", 64},
    {"mf", 78},
    {"f", 92},
    {"ff", 106},
    {"fff", 118},
}};

bool IsSpace(char c);
bool IsDigit(char c);
bool IsNameChar(char c);
// The text quoted for an error message: at most 24 characters, unprintable ones as '?'.
std::string Show(std::string_view text);
// A whole number from 0 to 1,000,000; nullopt for anything else.
std::optional<int> ParseNumber(std::string_view text);
// The number, or an error naming `what` and its range.
int NumberIn(std::string_view text, int low, int high, int line, const char* what);
// A General MIDI program, 0-based, by name or 1-based number.
int ProgramByName(std::string_view text, int line);
std::vector<std::string_view> Words(std::string_view text);
// Cuts a comment: '#' starting a word (a sharp follows a note letter instead).
std::string_view StripComment(std::string_view text);
// A length in quarter notes for error messages.
std::string Beats(std::int64_t ticks);

// Walks one line of music character by character; also reads note lengths.
class LineScanner {
 public:
  LineScanner(std::string_view text, int line) : text_(text), line_(line) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek(std::size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
  char Take() { return text_[pos_++]; }
  void SkipSpace() {
    while (!AtEnd() && IsSpace(Peek())) ++pos_;
  }
  int Line() const { return line_; }
  std::string_view Word() {
    std::size_t start = pos_;
    while (!AtEnd() && !IsSpace(Peek()) && Peek() != '|') ++pos_;
    return text_.substr(start, pos_ - start);
  }
  std::string_view Rest() const { return text_.substr(std::min(pos_, text_.size())); }

  static bool IsLengthLetter(char c) { return c == 'w' || c == 'h' || c == 'q' || c == 'e' || c == 's' || c == 't'; }

  // nullopt when no length is written here (the previous one then holds).
  std::optional<std::int64_t> Length();

 private:
  std::string_view text_;
  int line_;
  std::size_t pos_ = 0;
};

}  // namespace tunec
