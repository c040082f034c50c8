// The tune compiler: parses the note notation into sections of timed notes,
// lays the sections out in playing order and writes a format 1 MIDI file.
#include "TuneCompiler.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <new>
#include <optional>
#include <vector>

namespace {

constexpr int Ppq = 96;  // ticks per quarter note: divisible by 3 for triplets, one-byte deltas up to a quarter
constexpr std::int64_t MaxSectionTicks = std::int64_t{Ppq} * 4 * 4096;
constexpr std::int64_t MaxTuneTicks = std::int64_t{Ppq} * 4 * 100000;  // keeps every delta within 4 bytes

struct CompileError {
  int line;
  std::string message;
};

[[noreturn]] void Fail(int line, std::string message) { throw CompileError{line, std::move(message)}; }

struct TrackDef {
  std::string name;
  int line = 0;
  int program = 0;  // 0-based on the wire, 1-based in the source
  int channel = 0;
  int volume = 100;
  int pan = 64;
  int reverb = -1;  // -1: leave the synthesizer's default
  int octave = 4;
  int velocity = 78;
  bool legato = false;
};

struct Note {
  std::int64_t start = 0;
  std::int64_t length = 0;  // notated length, ties included
  std::int64_t gap = 0;     // silence before the notated end
  int pitch = 0;
  int base = 0;   // velocity from the dynamics
  int extra = 0;  // metric accent and articulation
};

struct ProgramChange {
  std::int64_t tick;
  int program;
};

struct TempoMark {
  std::int64_t tick;
  int bpm;
  bool ramp;  // glide from the tempo in force to bpm by the section's end
  int line;
};

struct SourceLine {
  int line;
  std::string_view text;
};

struct SectionTrack {
  std::vector<SourceLine> lines;
  std::vector<Note> notes;
  std::vector<ProgramChange> programs;
  std::int64_t length = 0;
};

struct Section {
  std::string name;
  int line = 0;
  std::int64_t pickup = 0;
  std::vector<SectionTrack> tracks;  // one per track definition
  std::vector<TempoMark> tempos;
  std::vector<std::pair<std::int64_t, int>> tempoEvents;  // the marks other than a glide
  std::optional<TempoMark> glide;
  std::int64_t length = 0;
};

struct Tune {
  int tempo = 100;
  int timeNum = 4;
  int timeDen = 4;
  int tempoLine = 0;
  std::vector<TrackDef> tracks;
  std::vector<Section> sections;
  struct PlayEntry {
    int section;
    int line;
    int tempo;  // the tempo this section starts at
  };
  std::vector<PlayEntry> play;
  std::vector<std::pair<std::string, int>> playNames;
};

// General MIDI programs by a short name, 1-based as musicians count them.
constexpr std::array<std::pair<std::string_view, int>, 62> ProgramNames = {{
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

constexpr std::array<std::pair<std::string_view, int>, 8> Dynamics = {{
    {"ppp", 24},
    {"pp", 36},
    {"p", 50},
    {"mp", 64},
    {"mf", 78},
    {"f", 92},
    {"ff", 106},
    {"fff", 118},
}};

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

// A whole number from 0 to 1,000,000; nullopt for anything else.
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

// Cuts a comment: '#' starting a word (a sharp follows a note letter instead).
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
  int line() const { return line_; }
  std::string_view Word() {
    std::size_t start = pos_;
    while (!AtEnd() && !IsSpace(Peek()) && Peek() != '|') ++pos_;
    return text_.substr(start, pos_ - start);
  }
  std::string_view Rest() const { return text_.substr(std::min(pos_, text_.size())); }

  static bool IsLengthLetter(char c) { return c == 'w' || c == 'h' || c == 'q' || c == 'e' || c == 's' || c == 't'; }

  // nullopt when no length is written here (the previous one then holds).
  std::optional<std::int64_t> Length() {
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

 private:
  std::string_view text_;
  int line_;
  std::size_t pos_ = 0;
};

class SectionCompiler {
 public:
  SectionCompiler(const Tune& tune, Section& section, std::size_t trackIndex, std::size_t& sectionNotes)
      : tune_(tune),
        section_(section),
        def_(tune.tracks[trackIndex]),
        out_(section.tracks[trackIndex]),
        sectionNotes_(sectionNotes) {
    octave_ = def_.octave;
    velocity_ = def_.velocity;
    barLength_ = std::int64_t{tune.timeNum} * 4 * Ppq / tune.timeDen;
  }

  void Run() {
    int lastLine = section_.line;
    for (const SourceLine& source : out_.lines) {
      lastLine = source.line;
      LineScanner scan(source.text, source.line);
      while (true) {
        scan.SkipSpace();
        if (scan.AtEnd()) break;
        Token(scan);
      }
    }
    if (!pendingTies_.empty()) Fail(lastLine, "a tie '~' at the end of the section has no note to join");
    if (ramp_) Fail(ramp_->line, "this hairpin needs a dynamic mark after it in the same section");
    if (pos_ - barStart_ > barLength_) {
      Fail(lastLine, "the last bar lasts " + Beats(pos_ - barStart_) + ", more than the bar's " + Beats(barLength_));
    }
    out_.length = pos_;
  }

 private:
  struct Ramp {
    std::size_t firstNote;
    std::int64_t start;
    int velocity;
    bool louder;
    int line;
  };

  void Token(LineScanner& scan) {
    char c = scan.Peek();
    if (c == '|') {
      scan.Take();
      BarLine(scan.line());
    } else if (c == '[') {
      scan.Take();
      Chord(scan);
    } else if ((c >= 'a' && c <= 'g') || (c >= 'A' && c <= 'G')) {
      std::vector<int> pitches{Pitch(scan)};
      NoteGroup(scan, pitches);
    } else if (c == 'r') {
      scan.Take();
      Rest(scan);
    } else if (c == '!') {
      scan.Take();
      Dynamic(scan.Word(), scan.line());
    } else if (c == '@') {
      scan.Take();
      Tempo(scan.Word(), scan.line());
    } else {
      Fail(scan.line(), "unexpected " + Show(scan.Word()) + " (a note, rest, chord, bar line, !dynamic or @tempo)");
    }
  }

  int Pitch(LineScanner& scan) {
    static constexpr int Steps[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    char letter = scan.Take();
    int step = Steps[(letter | 0x20) - 'a'];
    int accidental = 0;
    while (scan.Peek() == '#' || scan.Peek() == 'b') {  // 'b' after a note letter is a flat
      accidental += scan.Take() == '#' ? 1 : -1;
      if (accidental > 2 || accidental < -2) Fail(scan.line(), "more than two accidentals on one note");
    }
    if (IsDigit(scan.Peek())) {
      octave_ = scan.Take() - '0';
      if (IsDigit(scan.Peek())) Fail(scan.line(), "an octave is one digit, 0 to 9");
    }
    int pitch = (octave_ + 1) * 12 + step + accidental;
    if (pitch < 0 || pitch > 127) Fail(scan.line(), "a pitch outside the MIDI range");
    return pitch;
  }

  void Chord(LineScanner& scan) {
    std::vector<int> pitches;
    while (true) {
      scan.SkipSpace();
      char c = scan.Peek();
      if (c == ']') {
        scan.Take();
        break;
      }
      if (!((c >= 'a' && c <= 'g') || (c >= 'A' && c <= 'G'))) {
        Fail(scan.line(), c == '\0' ? "a chord '[' without its closing ']' on the same line"
                                    : "unexpected " + Show(scan.Word()) + " inside a chord");
      }
      int pitch = Pitch(scan);
      if (std::find(pitches.begin(), pitches.end(), pitch) != pitches.end()) {
        Fail(scan.line(), "the same pitch twice in one chord");
      }
      if (pitches.size() >= 10) Fail(scan.line(), "more than ten notes in one chord");
      pitches.push_back(pitch);
      char next = scan.Peek();
      if (!IsSpace(next) && next != ']' && next != '\0')
        Fail(scan.line(), "unexpected " + Show(scan.Word()) + " inside a chord");
    }
    if (pitches.empty()) Fail(scan.line(), "an empty chord");
    NoteGroup(scan, pitches);
  }

  void NoteGroup(LineScanner& scan, const std::vector<int>& pitches) {
    if (auto length = scan.Length()) length_ = *length;
    bool staccato = false, tenuto = false, accent = false, tie = false;
    while (true) {
      char c = scan.Peek();
      bool* flag = c == '\'' ? &staccato : c == '_' ? &tenuto : c == '>' ? &accent : c == '~' ? &tie : nullptr;
      if (!flag) break;
      if (*flag) Fail(scan.line(), "the same articulation twice on one note");
      *flag = true;
      scan.Take();
    }
    if (!scan.AtEnd() && !IsSpace(scan.Peek()) && scan.Peek() != '|') {
      Fail(scan.line(), "unexpected " + Show(scan.Word()) + " after a note");
    }
    if (staccato && tenuto) Fail(scan.line(), "a note cannot be both staccato and tenuto");

    std::map<int, std::size_t> ties;
    for (int pitch : pitches) {
      std::size_t index;
      auto tied = pendingTies_.find(pitch);
      if (tied != pendingTies_.end()) {
        index = tied->second;
        pendingTies_.erase(tied);
        out_.notes[index].length += length_;
      } else {
        if (++sectionNotes_ > MaxTuneNotes) Fail(scan.line(), "too many notes in one section");
        index = out_.notes.size();
        Note note;
        note.start = pos_;
        note.length = length_;
        note.pitch = pitch;
        note.base = velocity_;
        note.extra = MetricAccent() + (accent ? 14 : 0);
        out_.notes.push_back(note);
      }
      Note& note = out_.notes[index];
      note.gap = tenuto || (def_.legato && !staccato) ? 0
                 : staccato                           ? note.length / 2
                                                      : std::min<std::int64_t>(note.length / 8, 10);
      if (tie) ties[pitch] = index;
    }
    if (!pendingTies_.empty()) Fail(scan.line(), "a tie '~' must join notes of the same pitch");
    pendingTies_ = std::move(ties);
    Advance(scan.line());
  }

  void Rest(LineScanner& scan) {
    if (auto length = scan.Length()) length_ = *length;
    if (!scan.AtEnd() && !IsSpace(scan.Peek()) && scan.Peek() != '|') {
      Fail(scan.line(), "unexpected " + Show(scan.Word()) + " after a rest");
    }
    if (!pendingTies_.empty()) Fail(scan.line(), "a tie '~' cannot join a note to a rest");
    Advance(scan.line());
  }

  void Advance(int line) {
    pos_ += length_;
    if (pos_ > MaxSectionTicks) Fail(line, "a section longer than 4096 bars of 4/4");
  }

  int MetricAccent() const {
    std::int64_t beat = 4 * Ppq / tune_.timeDen;
    std::int64_t group = beat;
    if (tune_.timeDen == 8 && tune_.timeNum % 3 == 0 && tune_.timeNum > 3) group = 3 * beat;
    if (tune_.timeNum == 4 && tune_.timeDen == 4) group = 2 * beat;
    std::int64_t phase = ((pos_ - section_.pickup) % barLength_ + barLength_) % barLength_;
    if (phase == 0) return 8;
    if (phase % group == 0) return 3;
    if (phase % beat == 0) return 0;
    return -5;
  }

  void BarLine(int line) {
    std::int64_t length = pos_ - barStart_;
    if (firstBar_ && length == 0) return;  // a bar line opening the line
    std::int64_t expected = firstBar_ && section_.pickup > 0 ? section_.pickup : barLength_;
    if (length != expected) {
      Fail(line, std::string(firstBar_ && section_.pickup > 0 ? "the pickup" : "this bar") + " lasts " + Beats(length) +
                     ", it needs " + Beats(expected));
    }
    firstBar_ = false;
    barStart_ = pos_;
  }

  void Dynamic(std::string_view word, int line) {
    for (const auto& [name, velocity] : Dynamics) {
      if (word == name) return SetVelocity(velocity, line);
    }
    if (word == "<" || word == ">") {
      if (ramp_) Fail(line, "a hairpin inside another hairpin");
      ramp_ = Ramp{out_.notes.size(), pos_, velocity_, word == "<", line};
      return;
    }
    if (word.size() > 1 && word[0] == 'v') return SetVelocity(NumberIn(word.substr(1), 1, 127, line, "!v"), line);
    if (word.substr(0, 5) == "prog=") {
      out_.programs.push_back({pos_, ProgramByName(word.substr(5), line)});
      return;
    }
    Fail(line, "unknown mark !" + std::string(Show(word)) + " (ppp to fff, <, >, vN or prog=NAME)");
  }

  void SetVelocity(int velocity, int line) {
    if (ramp_) {
      if (ramp_->louder != (velocity > ramp_->velocity)) {
        Fail(line, ramp_->louder ? "a crescendo must end louder than it starts"
                                 : "a diminuendo must end softer than it starts");
      }
      std::int64_t span = pos_ - ramp_->start;
      for (std::size_t i = ramp_->firstNote; i < out_.notes.size() && span > 0; ++i) {
        Note& note = out_.notes[i];
        note.base =
            static_cast<int>(ramp_->velocity + (velocity - ramp_->velocity) * (note.start - ramp_->start) / span);
      }
      ramp_.reset();
    }
    velocity_ = velocity;
  }

  void Tempo(std::string_view word, int line) {
    bool ramp = !word.empty() && (word[0] == '>' || word[0] == '<');
    int bpm = NumberIn(ramp ? word.substr(1) : word, 10, 400, line, "a tempo");
    if (section_.tempos.size() >= 1000) Fail(line, "too many tempo marks in one section");
    section_.tempos.push_back({pos_, bpm, ramp, line});
  }

  const Tune& tune_;
  Section& section_;
  const TrackDef& def_;
  SectionTrack& out_;
  std::size_t& sectionNotes_;
  int octave_;
  int velocity_;
  std::int64_t length_ = Ppq;
  std::int64_t pos_ = 0;
  std::int64_t barStart_ = 0;
  std::int64_t barLength_;
  bool firstBar_ = true;
  std::map<int, std::size_t> pendingTies_;
  std::optional<Ramp> ramp_;
};

void FinishSection(Tune& tune, Section& section) {
  std::size_t notes = 0;
  bool any = false;
  int longest = -1;
  for (std::size_t t = 0; t < tune.tracks.size(); ++t) {
    if (section.tracks[t].lines.empty()) continue;
    SectionCompiler(tune, section, t, notes).Run();
    std::int64_t length = section.tracks[t].length;
    if (any && length != section.length) {
      Fail(section.tracks[t].lines.front().line, "track " + tune.tracks[t].name + " lasts " + Beats(length) +
                                                     " in section " + section.name + ", track " +
                                                     tune.tracks[longest].name + " lasts " + Beats(section.length));
    }
    any = true;
    longest = static_cast<int>(t);
    section.length = length;
  }
  if (!any || section.length == 0) Fail(section.line, "section " + section.name + " has no music");

  // Tempo marks in time order; a glide, the last of them, is laid out as the section is played.
  std::stable_sort(section.tempos.begin(), section.tempos.end(),
                   [](const TempoMark& a, const TempoMark& b) { return a.tick < b.tick; });
  for (std::size_t i = 0; i < section.tempos.size(); ++i) {
    const TempoMark& mark = section.tempos[i];
    if (!mark.ramp) {
      section.tempoEvents.emplace_back(mark.tick, mark.bpm);
    } else if (i + 1 != section.tempos.size()) {
      Fail(mark.line, "a tempo glide must be the section's last tempo mark");
    } else {
      section.glide = mark;
    }
  }
  if (notes + section.tempoEvents.size() > MaxTuneNotes) Fail(section.line, "too many events in one section");
}

void ParseTrack(Tune& tune, const std::vector<std::string_view>& words, int line) {
  if (words.size() < 2) Fail(line, "a track needs a name: track NAME program=INSTRUMENT ...");
  if (tune.tracks.size() >= static_cast<std::size_t>(MaxTuneTracks)) Fail(line, "more than 15 tracks");
  if (!tune.sections.empty()) Fail(line, "tracks must be declared before the first section");
  TrackDef def;
  def.name = std::string(words[1]);
  def.line = line;
  if (!std::all_of(def.name.begin(), def.name.end(), IsNameChar) || def.name.size() > 32) {
    Fail(line, "a track name is letters, digits, '_' or '-', at most 32: " + Show(words[1]));
  }
  for (const TrackDef& other : tune.tracks) {
    if (other.name == def.name) Fail(line, "a second track named " + def.name);
  }
  int channel = static_cast<int>(tune.tracks.size());
  def.channel = channel >= 9 ? channel + 1 : channel;  // channel 10 is the drum kit
  for (std::size_t i = 2; i < words.size(); ++i) {
    std::string_view word = words[i];
    if (word == "legato") {
      def.legato = true;
      continue;
    }
    std::size_t eq = word.find('=');
    if (eq == std::string_view::npos) Fail(line, "expected key=value, not " + Show(word));
    std::string_view key = word.substr(0, eq), value = word.substr(eq + 1);
    if (key == "program") {
      def.program = ProgramByName(value, line);
    } else if (key == "channel") {
      def.channel = NumberIn(value, 1, 16, line, "channel") - 1;
    } else if (key == "volume") {
      def.volume = NumberIn(value, 0, 127, line, "volume");
    } else if (key == "pan") {
      def.pan = NumberIn(value, 0, 127, line, "pan");
    } else if (key == "reverb") {
      def.reverb = NumberIn(value, 0, 127, line, "reverb");
    } else if (key == "octave") {
      def.octave = NumberIn(value, 0, 9, line, "octave");
    } else if (key == "dyn") {
      auto found = std::find_if(Dynamics.begin(), Dynamics.end(), [&](const auto& d) { return d.first == value; });
      if (found == Dynamics.end()) Fail(line, "dyn must be one of ppp pp p mp mf f ff fff, not " + Show(value));
      def.velocity = found->second;
    } else {
      Fail(line, "unknown track setting " + Show(key));
    }
  }
  for (const TrackDef& other : tune.tracks) {
    if (other.channel == def.channel) Fail(line, "track " + def.name + " shares its channel with " + other.name);
  }
  tune.tracks.push_back(def);
}

// Bars stay even across sections too: where one section's open last bar
// meets the next one's pickup, the two make exactly one bar (or none).
void CheckJoins(const Tune& tune, std::int64_t barLength) {
  for (std::size_t i = 1; i < tune.play.size(); ++i) {
    const Section& before = tune.sections[tune.play[i - 1].section];
    const Section& after = tune.sections[tune.play[i].section];
    std::int64_t open = (barLength - before.pickup + before.length) % barLength;
    std::int64_t joined = open + after.pickup;
    if (joined != 0 && joined != barLength) {
      Fail(tune.play[i].line, "where section " + before.name + " meets " + after.name + " a bar lasts " +
                                  Beats(joined) + ", it needs " + Beats(barLength));
    }
  }
}

Tune Parse(std::string_view source) {
  Tune tune;
  Section* current = nullptr;
  int lineNumber = 0;
  std::size_t pos = 0;
  while (pos < source.size()) {
    std::size_t end = source.find('\n', pos);
    if (end == std::string_view::npos) end = source.size();
    std::string_view text = StripComment(source.substr(pos, end - pos));
    pos = end + 1;
    ++lineNumber;
    std::vector<std::string_view> words = Words(text);
    if (words.empty()) continue;
    std::string_view head = words[0];

    if (head.size() > 1 && head.back() == ':') {
      if (!current) Fail(lineNumber, "music before the first 'section' line");
      std::string_view name = head.substr(0, head.size() - 1);
      auto track =
          std::find_if(tune.tracks.begin(), tune.tracks.end(), [&](const TrackDef& t) { return t.name == name; });
      if (track == tune.tracks.end()) Fail(lineNumber, "no track named " + Show(name));
      std::size_t colon = text.find(':');
      current->tracks[track - tune.tracks.begin()].lines.push_back({lineNumber, text.substr(colon + 1)});
    } else if (head == "tempo") {
      if (words.size() != 2) Fail(lineNumber, "expected: tempo BEATS_PER_MINUTE");
      tune.tempo = NumberIn(words[1], 10, 400, lineNumber, "the tempo");
      tune.tempoLine = lineNumber;
    } else if (head == "time") {
      std::size_t slash = words.size() == 2 ? words[1].find('/') : std::string_view::npos;
      if (slash == std::string_view::npos) Fail(lineNumber, "expected: time 3/4");
      if (!tune.sections.empty()) Fail(lineNumber, "the time signature must come before the first section");
      tune.timeNum = NumberIn(words[1].substr(0, slash), 1, 32, lineNumber, "the beats of a bar");
      tune.timeDen = NumberIn(words[1].substr(slash + 1), 1, 32, lineNumber, "the beat's note value");
      if ((tune.timeDen & (tune.timeDen - 1)) != 0)
        Fail(lineNumber, "the beat's note value must be 1, 2, 4, 8, 16 or 32");
    } else if (head == "track") {
      ParseTrack(tune, words, lineNumber);
    } else if (head == "section") {
      if (words.size() < 2 || words.size() > 3) Fail(lineNumber, "expected: section NAME [pickup=LENGTH]");
      if (tune.tracks.empty()) Fail(lineNumber, "declare the tracks before the first section");
      if (tune.sections.size() >= static_cast<std::size_t>(MaxTuneSections)) Fail(lineNumber, "more than 64 sections");
      std::string name(words[1]);
      if (!std::all_of(name.begin(), name.end(), IsNameChar) || name.size() > 32) {
        Fail(lineNumber, "a section name is letters, digits, '_', '-' or ''', at most 32: " + Show(words[1]));
      }
      for (const Section& other : tune.sections) {
        if (other.name == name) Fail(lineNumber, "a second section named " + name);
      }
      Section section;
      section.name = name;
      section.line = lineNumber;
      section.tracks.resize(tune.tracks.size());
      if (words.size() == 3) {
        if (words[2].substr(0, 7) != "pickup=") Fail(lineNumber, "expected pickup=LENGTH, not " + Show(words[2]));
        LineScanner scan(words[2].substr(7), lineNumber);
        auto pickup = scan.Length();
        if (!pickup || !scan.AtEnd()) Fail(lineNumber, "the pickup needs a length such as q or e.");
        section.pickup = *pickup;
      }
      tune.sections.push_back(std::move(section));
      current = &tune.sections.back();
    } else if (head == "play") {
      for (std::size_t i = 1; i < words.size(); ++i) tune.playNames.emplace_back(std::string(words[i]), lineNumber);
      if (words.size() < 2) Fail(lineNumber, "expected: play SECTION SECTION ...");
    } else {
      Fail(lineNumber,
           "unknown line starting with " + Show(head) + " (tempo, time, track, section, play, or TRACK: music)");
    }
  }
  if (tune.tracks.empty()) Fail(std::max(lineNumber, 1), "no track declared");
  if (tune.sections.empty()) Fail(std::max(lineNumber, 1), "no section of music");

  std::int64_t barLength = std::int64_t{tune.timeNum} * 4 * Ppq / tune.timeDen;
  if (barLength == 0 || std::int64_t{tune.timeNum} * 4 * Ppq % tune.timeDen != 0) {
    Fail(1, "a time signature whose beat is shorter than the smallest tick");
  }
  for (Section& section : tune.sections) {
    if (section.pickup >= barLength) Fail(section.line, "the pickup must be shorter than a bar");
    FinishSection(tune, section);
  }

  if (tune.playNames.empty()) {
    for (std::size_t i = 0; i < tune.sections.size(); ++i) {
      tune.play.push_back({static_cast<int>(i), tune.sections[i].line, tune.tempo});
    }
  }
  for (const auto& [word, line] : tune.playNames) {
    std::string_view name = word;
    int times = 1, tempo = tune.tempo;
    std::size_t at = name.find('@');
    if (at != std::string_view::npos) {
      tempo = NumberIn(name.substr(at + 1), 10, 400, line, "a section's tempo");
      name = name.substr(0, at);
    }
    std::size_t star = name.find('*');
    if (star != std::string_view::npos) {
      times = NumberIn(name.substr(star + 1), 1, 16, line, "a repeat count");
      name = name.substr(0, star);
    }
    auto section =
        std::find_if(tune.sections.begin(), tune.sections.end(), [&](const Section& s) { return s.name == name; });
    if (section == tune.sections.end()) Fail(line, "no section named " + Show(name));
    for (int i = 0; i < times; ++i) {
      if (tune.play.size() >= static_cast<std::size_t>(MaxTunePlayEntries)) Fail(line, "more than 256 sections played");
      tune.play.push_back({static_cast<int>(section - tune.sections.begin()), line, tempo});
    }
  }
  CheckJoins(tune, barLength);
  return tune;
}

// ---- Writing the MIDI file ----

struct Event {
  std::int64_t tick;
  int order;  // at one tick: notes end, then programs change, then notes start
  std::string bytes;
};

void PutVarLen(std::string& out, std::uint32_t value) {
  char bytes[5];
  int count = 0;
  bytes[count++] = static_cast<char>(value & 0x7F);
  while ((value >>= 7) != 0) bytes[count++] = static_cast<char>((value & 0x7F) | 0x80);
  while (count > 0) out += bytes[--count];
}

void PutBig(std::string& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Meta(int type, const std::string& data) {
  std::string bytes{'\xFF', static_cast<char>(type)};
  PutVarLen(bytes, static_cast<std::uint32_t>(data.size()));
  return bytes + data;
}

// Channel messages share their status byte with the one before (running status).
std::string TrackChunk(std::vector<Event> events, std::int64_t endTick) {
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::string data;
  std::int64_t last = 0;
  unsigned char status = 0;
  for (const Event& event : events) {
    PutVarLen(data, static_cast<std::uint32_t>(event.tick - last));
    last = event.tick;
    auto first = static_cast<unsigned char>(event.bytes[0]);
    if (first >= 0x80 && first < 0xF0) {
      if (first == status) {
        data.append(event.bytes, 1);
      } else {
        data += event.bytes;
        status = first;
      }
    } else {
      data += event.bytes;
      status = 0;  // meta events cancel running status
    }
  }
  PutVarLen(data, static_cast<std::uint32_t>(std::max<std::int64_t>(endTick - last, 0)));
  data += Meta(0x2F, "");
  std::string chunk = "MTrk";
  PutBig(chunk, static_cast<std::uint32_t>(data.size()), 4);
  return chunk + data;
}

std::string Channel(int status, int channel, int a, int b) {
  return {static_cast<char>(status | channel), static_cast<char>(a), static_cast<char>(b)};
}

std::string Tempo(int bpm) {
  std::string data;
  PutBig(data, static_cast<std::uint32_t>(60000000 / bpm), 3);
  return Meta(0x51, data);
}

TuneCompileResult Build(const Tune& tune) {
  std::vector<std::vector<Event>> tracks(tune.tracks.size());
  std::vector<Event> tempoTrack;
  std::vector<int> program(tune.tracks.size());
  for (std::size_t t = 0; t < tune.tracks.size(); ++t) program[t] = tune.tracks[t].program;
  int tempo = tune.tempo;
  std::int64_t offset = 0;
  std::size_t events = 0;

  for (const Tune::PlayEntry& entry : tune.play) {
    const Section& section = tune.sections[entry.section];
    int line = entry.line;
    if (offset + section.length > MaxTuneTicks) Fail(line, "the tune is longer than 100000 bars of 4/4");
    for (std::size_t t = 0; t < tune.tracks.size(); ++t) {
      const TrackDef& def = tune.tracks[t];
      const SectionTrack& part = section.tracks[t];
      events += part.notes.size() + part.programs.size() + 1;
      if (events > MaxTuneNotes) Fail(line, "more than 20000 notes in the tune");
      // Each section starts from the track's own instrument.
      if (program[t] != def.program) {
        tracks[t].push_back({offset, 1, Channel(0xC0, def.channel, def.program, 0).substr(0, 2)});
        program[t] = def.program;
      }
      for (const ProgramChange& change : part.programs) {
        tracks[t].push_back({offset + change.tick, 1, Channel(0xC0, def.channel, change.program, 0).substr(0, 2)});
        program[t] = change.program;
      }
      for (const Note& note : part.notes) {
        int velocity = std::clamp(note.base + note.extra, 1, 127);
        std::int64_t end = note.start + std::max<std::int64_t>(note.length - note.gap, 1);
        tracks[t].push_back({offset + note.start, 2, Channel(0x90, def.channel, note.pitch, velocity)});
        tracks[t].push_back({offset + end, 0, Channel(0x90, def.channel, note.pitch, 0)});
      }
    }
    events += section.tempoEvents.size() + 1;
    if (events > MaxTuneNotes) Fail(line, "more than 20000 notes in the tune");
    // Each section starts at the piece's tempo (or its own from the play line).
    if (tempo != entry.tempo) {
      tempoTrack.push_back({offset, 0, Tempo(entry.tempo)});
      tempo = entry.tempo;
    }
    for (const auto& [tick, bpm] : section.tempoEvents) {
      tempoTrack.push_back({offset + tick, 1, Tempo(bpm)});
      tempo = bpm;
    }
    if (section.glide) {
      // One step a beat from the tempo in force to the glide's, reached at the last beat.
      std::int64_t from = section.glide->tick, span = section.length - from;
      int start = tempo;
      for (std::int64_t tick = from; tick < section.length; tick += Ppq) {
        if (++events > MaxTuneNotes) Fail(line, "more than 20000 notes in the tune");
        std::int64_t step = std::min(tick - from + Ppq, span);
        tempo = static_cast<int>(start + (section.glide->bpm - start) * step / span);
        tempoTrack.push_back({offset + tick, 1, Tempo(tempo)});
      }
    }
    offset += section.length;
  }

  // The tempo track: time signature and starting tempo, then the changes.
  int denLog = 0;
  while ((1 << denLog) < tune.timeDen) ++denLog;
  std::string timeSig{static_cast<char>(tune.timeNum), static_cast<char>(denLog), 24, 8};
  tempoTrack.insert(tempoTrack.begin(), {{0, -2, Meta(0x58, timeSig)}, {0, -1, Tempo(tune.tempo)}});

  TuneCompileResult result;
  std::string& midi = result.midi;
  midi = "MThd";
  PutBig(midi, 6, 4);
  PutBig(midi, 1, 2);
  PutBig(midi, static_cast<std::uint32_t>(tune.tracks.size() + 1), 2);
  PutBig(midi, Ppq, 2);
  midi += TrackChunk(tempoTrack, offset);
  for (std::size_t t = 0; t < tune.tracks.size(); ++t) {
    const TrackDef& def = tune.tracks[t];
    std::vector<Event> head{{0, -4, Meta(0x03, def.name)},
                            {0, -3, Channel(0xC0, def.channel, def.program, 0).substr(0, 2)},
                            {0, -2, Channel(0xB0, def.channel, 7, def.volume)},
                            {0, -1, Channel(0xB0, def.channel, 10, def.pan)}};
    if (def.reverb >= 0) head.push_back({0, -1, Channel(0xB0, def.channel, 91, def.reverb)});
    tracks[t].insert(tracks[t].begin(), head.begin(), head.end());
    midi += TrackChunk(tracks[t], offset);
  }

  // Playing time from the tempo map.
  std::vector<Event> sorted = tempoTrack;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
  double seconds = 0;
  std::int64_t last = 0;
  double secondsPerTick = 60.0 / tune.tempo / Ppq;
  for (const Event& event : sorted) {
    if (static_cast<unsigned char>(event.bytes[1]) != 0x51) continue;
    seconds += static_cast<double>(event.tick - last) * secondsPerTick;
    last = event.tick;
    std::uint32_t micros = (static_cast<unsigned char>(event.bytes[3]) << 16) |
                           (static_cast<unsigned char>(event.bytes[4]) << 8) |
                           static_cast<unsigned char>(event.bytes[5]);
    secondsPerTick = micros / 1e6 / Ppq;
  }
  result.seconds = seconds + static_cast<double>(offset - last) * secondsPerTick;
  return result;
}

}  // namespace

TuneCompileResult CompileTune(std::string_view source, const std::string& fileName) {
  TuneCompileResult result;
  try {
    if (source.size() > MaxTuneSourceBytes) Fail(1, "the source is larger than 256 KiB");
    result = Build(Parse(source));
  } catch (const CompileError& error) {
    result = {};
    result.error = fileName + ":" + std::to_string(error.line) + ": " + error.message;
  } catch (const std::bad_alloc&) {
    result = {};
    result.error = fileName + ":1: out of memory";
  }
  return result;
}
