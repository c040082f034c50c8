// Reads a tune's settings, tracks and sections, and each track's music into
// timed notes with their dynamics, ties and tempo marks.
#include "TuneParser.h"

#include <algorithm>
#include <map>

#include "TuneCompiler.h"
#include "TuneLexer.h"

namespace tunec {
namespace {

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
      BarLine(scan.Line());
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
      Dynamic(scan.Word(), scan.Line());
    } else if (c == '@') {
      scan.Take();
      Tempo(scan.Word(), scan.Line());
    } else {
      Fail(scan.Line(), "unexpected " + Show(scan.Word()) + " (a note, rest, chord, bar line, !dynamic or @tempo)");
    }
  }

  int Pitch(LineScanner& scan) {
    static constexpr int Steps[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    char letter = scan.Take();
    int step = Steps[(letter | 0x20) - 'a'];
    int accidental = 0;
    while (scan.Peek() == '#' || scan.Peek() == 'b') {  // 'b' after a note letter is a flat
      accidental += scan.Take() == '#' ? 1 : -1;
      if (accidental > 2 || accidental < -2) Fail(scan.Line(), "more than two accidentals on one note");
    }
    if (IsDigit(scan.Peek())) {
      octave_ = scan.Take() - '0';
      if (IsDigit(scan.Peek())) Fail(scan.Line(), "an octave is one digit, 0 to 9");
    }
    int pitch = (octave_ + 1) * 12 + step + accidental;
    if (pitch < 0 || pitch > 127) Fail(scan.Line(), "a pitch outside the MIDI range");
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
        Fail(scan.Line(), c == '\0' ? "a chord '[' without its closing ']' on the same line"
                                    : "unexpected " + Show(scan.Word()) + " inside a chord");
      }
      int pitch = Pitch(scan);
      if (std::find(pitches.begin(), pitches.end(), pitch) != pitches.end()) {
        Fail(scan.Line(), "the same pitch twice in one chord");
      }
      if (pitches.size() >= 10) Fail(scan.Line(), "more than ten notes in one chord");
      pitches.push_back(pitch);
      char next = scan.Peek();
      if (!IsSpace(next) && next != ']' && next != '\0')
        Fail(scan.Line(), "unexpected " + Show(scan.Word()) + " inside a chord");
    }
    if (pitches.empty()) Fail(scan.Line(), "an empty chord");
    NoteGroup(scan, pitches);
  }

  void NoteGroup(LineScanner& scan, const std::vector<int>& pitches) {
    if (auto length = scan.Length()) length_ = *length;
    bool staccato = false, tenuto = false, accent = false, tie = false;
    while (true) {
      char c = scan.Peek();
      bool* flag = c == '\'' ? &staccato : c == '_' ? &tenuto : c == '>' ? &accent : c == '~' ? &tie : nullptr;
      if (!flag) break;
      if (*flag) Fail(scan.Line(), "the same articulation twice on one note");
      *flag = true;
      scan.Take();
    }
    if (!scan.AtEnd() && !IsSpace(scan.Peek()) && scan.Peek() != '|') {
      Fail(scan.Line(), "unexpected " + Show(scan.Word()) + " after a note");
    }
    if (staccato && tenuto) Fail(scan.Line(), "a note cannot be both staccato and tenuto");

    std::map<int, std::size_t> ties;
    for (int pitch : pitches) {
      std::size_t index;
      auto tied = pendingTies_.find(pitch);
      if (tied != pendingTies_.end()) {
        index = tied->second;
        pendingTies_.erase(tied);
        out_.notes[index].length += length_;
      } else {
        if (++sectionNotes_ > MaxTuneNotes) Fail(scan.Line(), "too many notes in one section");
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
    if (!pendingTies_.empty()) Fail(scan.Line(), "a tie '~' must join notes of the same pitch");
    pendingTies_ = std::move(ties);
    Advance(scan.Line());
  }

  void Rest(LineScanner& scan) {
    if (auto length = scan.Length()) length_ = *length;
    if (!scan.AtEnd() && !IsSpace(scan.Peek()) && scan.Peek() != '|') {
      Fail(scan.Line(), "unexpected " + Show(scan.Word()) + " after a rest");
    }
    if (!pendingTies_.empty()) Fail(scan.Line(), "a tie '~' cannot join a note to a rest");
    Advance(scan.Line());
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

// "section NAME [pickup=LENGTH]": a new section, which the music lines after it fill.
Section& AddSection(Tune& tune, const std::vector<std::string_view>& words, int line) {
  if (words.size() < 2 || words.size() > 3) Fail(line, "expected: section NAME [pickup=LENGTH]");
  if (tune.tracks.empty()) Fail(line, "declare the tracks before the first section");
  if (tune.sections.size() >= static_cast<std::size_t>(MaxTuneSections)) Fail(line, "more than 64 sections");
  std::string name(words[1]);
  if (!std::all_of(name.begin(), name.end(), IsNameChar) || name.size() > 32) {
    Fail(line, "a section name is letters, digits, '_', '-' or ''', at most 32: " + Show(words[1]));
  }
  for (const Section& other : tune.sections) {
    if (other.name == name) Fail(line, "a second section named " + name);
  }
  Section section;
  section.name = name;
  section.line = line;
  section.tracks.resize(tune.tracks.size());
  if (words.size() == 3) {
    if (words[2].substr(0, 7) != "pickup=") Fail(line, "expected pickup=LENGTH, not " + Show(words[2]));
    LineScanner scan(words[2].substr(7), line);
    auto pickup = scan.Length();
    if (!pickup || !scan.AtEnd()) Fail(line, "the pickup needs a length such as q or e.");
    section.pickup = *pickup;
  }
  tune.sections.push_back(std::move(section));
  return tune.sections.back();
}

// The play order: every section once when no "play" line names them, else
// the named ones with their repeat counts and tempos.
void ResolvePlay(Tune& tune) {
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

}  // namespace

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
      current = &AddSection(tune, words, lineNumber);
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

  ResolvePlay(tune);
  CheckJoins(tune, barLength);
  return tune;
}

}  // namespace tunec
