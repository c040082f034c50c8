// The tune compiler and the 26 built-in tunes: what the notation means in the
// MIDI file, what it rejects and where, that the tool never leaves a
// half-written file, and that each committed tune is current and titled right.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <tuple>

#include "EmbeddedTunes.h"
#include "PosixTestGuards.h"
#include "SmfReader.h"
#include "TuneCompiler.h"
#include "music/TuneTitles.h"

namespace {

const std::string Header = "tempo 120\ntrack mel program=flute\ntrack bass program=cello octave=2 reverb=0\n";

// A tune of `count` tracks that each play one whole note.
std::string Tracks(int count) {
  std::string text = "tempo 120\n", music = "section a\n";
  for (int i = 0; i < count; ++i) {
    text += "track t" + std::to_string(i) + "\n";
    music += "t" + std::to_string(i) + ": cw\n";
  }
  return text + music;
}

// One facet of the compiled file as text: of the first track's notes, 'm' their names, 'n' name@start+sounding
// length, 'v' velocities; of each track 'c' the channel, 'i' programs (p) and controllers (number=value), tracks
// separated by '|'; 't' the tempo map as tick:microseconds per quarter.
std::string Facet(const Smf& smf, char what) {
  static const char* const Names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  std::map<char, std::string> facets;
  const auto add = [&](char facet, const std::string& text) { facets[facet] += text + " "; };
  for (const auto& [tick, micros] : smf.tempos) add('t', std::to_string(tick) + ":" + std::to_string(micros));
  for (std::size_t t = 1; t < smf.tracks.size(); ++t) {
    add('c', std::to_string(smf.tracks[t].notes.empty() ? -1 : smf.tracks[t].notes[0].channel));
    for (const auto& [number, value] : smf.tracks[t].settings)
      add('i', (number < 0 ? "p" : std::to_string(number) + "=") + std::to_string(value));
    add('i', "|");
  }
  for (const SmfNote& n : smf.tracks.at(1).notes) {
    const std::string name = Names[n.pitch % 12] + std::to_string(n.pitch / 12 - 1);
    add('m', name);
    add('n', name + "@" + std::to_string(n.start) + "+" + std::to_string(n.end - n.start));
    add('v', std::to_string(n.velocity));
  }
  return facets[what].substr(0, facets[what].find_last_not_of(" |") + 1);
}

// What the notation means in the MIDI file, and what it rejects naming the line at fault.
TEST(TuneCompiler, TheNotationBecomesTheseEventsOrAnError) {
  // The source (after Header unless it declares its own tempo), a facet ('S': the playing time in milliseconds;
  // 'x': the start of the error) and what it is.
  const std::tuple<std::string, char, std::string> rows[] = {
      {"section a\nmel: c4h !prog=violin d\nsection b\nmel: cw\nplay a b\n", 'i',
       "p73 7=100 10=64 p40 p73 | p42 7=100 10=64 91=0"},  // programs counted from 1 in the source
      {"time 12/4\nsection a\nmel: c4e d eb5 f#3q bb a4h cq. de ee3 e e gh+e rs fs.\n", 'n',
       "C4@0+42 D4@48+42 D#5@96+42 F#3@144+86 A#3@240+86 A4@336+182 C4@528+134 D4@672+42 E4@720+28 E4@752+28 "
       "E4@784+28 G4@816+230 F4@1080+32"},
      // Staccato half, tenuto all, plain a little short; ties across a bar make one note.
      {"section a\nmel: cq' d_ f e~ | e f [c e g]h~ | [c e g]q r r\n", 'n',
       "C4@0+48 D4@96+96 F4@192+86 E4@288+182 F4@480+86 C4@576+278 E4@576+278 G4@576+278"},
      // The downbeat leans, a crescendo grows, an accent stands out.
      {"section a\nmel: !p cq d e f | !< c d e f | !f c d> e f\n", 'v', "58 50 53 50 58 60 74 81 100 106 95 92"},
      // Sections repeat and meet with their pickups completing the bar before.
      {"section a pickup=q\nmel: g3q | c4w | rh.\nbass: rq | c2w | rh.\n"
       "section b pickup=q\nmel: d4q | dw | rh.\nplay a b*2 a\n",
       'n', "G3@0+86 C4@96+374 D4@768+86 D4@864+374 D4@1536+86 D4@1632+374 G3@2304+86 C4@2400+374"},
      {"section a\nmel: @60 cw | cq @>30 c c c\nsection b\nmel: cw\n", 't',
       "0:500000 0:1000000 480:1200000 576:1500000 672:2000000 768:500000"},
      {"section a\nmel: cw\nsection b\nmel: cq @>30 c c c\nplay a a@60 b@60\n", 'S', "11700"},
      // Channel 10 is the drum kit: the tenth track and those after it move up one.
      {Tracks(15), 'c', "0 1 2 3 4 5 6 7 8 10 11 12 13 14 15"},
      {Tracks(16), 'x', "t.tune:17: more than 15 tracks"},
      {"section a\nmel: [c d e f g a b c5 d e]w\n", 'm', "C4 D4 E4 F4 G4 A4 B4 C5 D5 E5"},
      {"section a\nmel: [c d e f g a b c5 d e f]w\n", 'x', "t.tune:5: more than ten notes in one chord"},
      {"section a\nmel: ch... ds\n", 'n', "C4@0+350 D4@360+21"},  // three dots: a half and seven eighths of it
      {"section a\nmel: cq.... d e f\n", 'x', "t.tune:5: more than three dots"},
      {"tempo 1000\n", 'x', "t.tune:1: the tempo must be a whole number from 10 to 400"},
      {"tempo 100\ntrack m program=kazoo\n", 'x', "t.tune:2: an instrument (name or General MIDI program) must be"},
      {"section a\nx: c\n", 'x', "t.tune:5: no track named 'x'"},
      {"section a\nmel: c d e | f g a b\n", 'x', "t.tune:5: this bar lasts 3 quarter notes"},
      {"section a pickup=w\nmel: cw\n", 'x', "t.tune:4: the pickup must be shorter than a bar"},
      {"section a pickup=e\nmel: ce | cw | cq c c\nplay a a\n", 'x',
       "t.tune:6: where section a meets a a bar lasts 3.5 quarter notes"},
      {"section a\nmel: a9\n", 'x', "t.tune:5: a pitch outside the MIDI range"},
      {"section a\nmel: ch~ dh\n", 'x', "t.tune:5: a tie '~' must join notes of the same pitch"},
      {"section a\nmel: ch~ rh\n", 'x', "t.tune:5: a tie '~' cannot join a note to a rest"},
      {"section a\nmel: !p c !< d !< e !f f\n", 'x', "t.tune:5: a hairpin inside another hairpin"},
      {"section a\nmel: !f c !< d e !p f\n", 'x', "t.tune:5: a crescendo must end louder than it starts"},
      {"section a\nmel: cq @>30 d @60 e f\n", 'x', "t.tune:5: a tempo glide must be the section's last tempo mark"},
      {std::string(MaxTuneSourceBytes + 1, ' '), 'x', "t.tune:1: the source is larger than 256 KiB"},
  };
  for (const auto& [text, what, expected] : rows) {
    const std::string source = text.rfind("tempo", 0) == 0 ? text : Header + text;
    const TuneCompileResult result = CompileTune(source, "t.tune");
    const std::string got = what == 'x' || !result.Ok() ? result.error.substr(0, expected.size())
                            : what == 'S'               ? std::to_string(std::lround(result.seconds * 1000))
                                                        : Facet(ReadSmf(result.midi), what);
    EXPECT_EQ(got, expected) << source;
  }
}

// A missing source or a full disk fails with the file named and leaves the old
// file whole and no temporary file beside it.
TEST(TuneTool, WritesTheWholeTuneOrNothing) {
  TempDir dir;
  const std::string good = Header + "section a\nmel: c4q d e f\n";
  // The source (none in the first row), shell commands run before the tool, its exit status and error output.
  const std::tuple<std::string, const char*, int, const char*> rows[] = {
      {"", "", 1, "in.tune"}, {good, "trap '' XFSZ; ulimit -f 0;", 1, ""}, {good, "", 0, ""}};
  for (const auto& [source, limits, exit, says] : rows) {
    if (!source.empty()) WriteBytes(dir / "in.tune", source);
    WriteBytes(dir / "out.mid", "old contents");
    const int status = dir.Run(std::string(limits) + "'" TUNEC_PATH "' in.tune out.mid 2>err");
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, exit) << limits;
    EXPECT_EQ(ReadBytes(dir / "out.mid"), exit ? "old contents" : CompileTune(good, "x").midi) << limits;
    EXPECT_NE(ReadBytes(dir / "err").find(says), std::string::npos) << says;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), source.empty() ? 2 : 3) << limits;
  }
  EXPECT_EQ(std::system("'" TUNEC_PATH "' 2>/dev/null"), 2 << 8);  // usage
}

// Each committed tune: its title belongs to the melody its file plays, and the
// file is well formed, of the allowed size, current with its source and embedded;
// the canon's voices keep to its ground's chords.
TEST(CommittedTunes, EachTitleNamesTheMelodyItsFilePlays) {
  const char* const rows[][2] = {
      {"Ludwig van Beethoven - Ode to Joy", "F#4 F#4 G4 A4 A4 G4 F#4 E4"},
      {"Ludwig van Beethoven - Fur Elise", "E5 D#5 E5 D#5 E5 B4 D5 C5"},
      {"W. A. Mozart - Eine kleine Nachtmusik", "G5 D5 G5 D5 G5 D5 G5 B5"},
      {"W. A. Mozart - Rondo alla Turca", "B4 A4 G#4 A4 C5 D5 C5 B4"},
      {"Edvard Grieg - Morning Mood", "B5 G#5 F#5 E5 F#5 G#5 B5 G#5"},
      {"Edvard Grieg - Hall of the Mountain King", "B2 C#3 D3 E3 F#3 D3 F#3 F3"},
      {"Johannes Brahms - Lullaby", "A4 A4 C5 A4 A4 C5 A4 C5"},
      {"Scott Joplin - The Entertainer", "D5 D#5 E5 C6 E5 C6 E5 C6"},
      {"Johann Strauss II - The Blue Danube", "D4 D4 F#4 A4 A4 A5 A5 F#5"},
      {"Jacques Offenbach - Can-can", "C5 D5 F5 E5 D5 G5 G5 G5"},
      {"Pyotr Ilyich Tchaikovsky - Swan Lake", "F#4 B4 C#5 D5 E5 F#5 D5 F#5"},
      {"Johann Pachelbel - Canon in D", "F#5 E5 D5 C#5 B4 A4 B4 C#5"},
      {"Traditional - Greensleeves", "A4 C5 D5 E5 F5 E5 D5 B4"},
      {"Traditional - Scarborough Fair", "D4 D4 A4 A4 E4 F4 E4 D4"},
      {"Stephen Foster - Oh! Susanna", "C4 D4 E4 G4 G4 A4 G4 E4"},
      {"Georges Bizet - Carmen", "C5 D5 C5 A4 A4 A4 G4 A4"},
      {"Gioachino Rossini - William Tell Overture", "B4 B4 B4 B4 B4 B4 B4 B4"},
      {"Antonin Dvorak - Largo (New World)", "F4 G#4 G#4 F4 D#4 C#4 D#4 F4"},
      {"George Frideric Handel - Hallelujah", "D5 A4 B4 A4 D5 A4 B4 A4"},
      {"Antonio Vivaldi - Spring", "E5 G#5 G#5 G#5 F#5 E5 B5 B5"},
      {"J. S. Bach - Jesu, Joy of Man's Desiring", "B4 C5 D5 D5 C5 B4 A4 A4"},
      {"Traditional - Amazing Grace", "D4 G4 B4 G4 B4 A4 G4 E4"},
      {"Traditional - Auld Lang Syne", "C4 F4 F4 F4 A4 G4 F4 G4"},
      {"Traditional - Korobeiniki", "E5 B4 C5 D5 C5 B4 A4 A4"},
      {"Erik Satie - Gymnopedie No. 1", "F#5 A5 G5 F#5 C#5 B4 C#5 D5"},
      {"James Lord Pierpont - Jingle Bells", "D4 B4 A4 G4 D4 D4 D4 D4"},
  };
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    SCOPED_TRACE(letter);
    const std::string_view bytes = EmbeddedTune(letter);
    const TuneCompileResult compiled = CompileTune(ReadBytes(std::string(TUNES_DIR "/src/") + letter + ".tune"), "t");
    const std::string melody = Facet(ReadSmf(bytes), 'm');
    EXPECT_EQ(TuneTitles[letter - 'A'], std::string(rows[letter - 'A'][0]));
    EXPECT_EQ(melody.rfind(rows[letter - 'A'][1], 0), 0u) << melody;
    EXPECT_TRUE(compiled.seconds >= 40 && compiled.seconds <= 120) << compiled.seconds;
    EXPECT_TRUE(compiled.midi == bytes) << "stale: rebuild the target 'tunes' and reconfigure";
    EXPECT_TRUE(EmbeddedTune(static_cast<char>(letter + 32)) == bytes);  // looked up in either case
  }
  EXPECT_TRUE(EmbeddedTune('@').empty() && EmbeddedTune('[').empty());
  // In the canon (L) each voice keeps to the ground's chords (track 4): of its
  // notes that start on a chord change (every 192 ticks), only the one suspension
  // the piece writes is outside the chord sounding then. A voice entering half a
  // ground late misses about a third of them.
  const Smf smf = ReadSmf(EmbeddedTune('L'));
  const std::vector<SmfNote>& chords = smf.tracks.at(4).notes;
  for (const std::size_t voice : {1, 2}) {
    int misses = 0;
    for (const SmfNote& note : smf.tracks.at(voice).notes)
      misses += note.start % 192 == 0 && std::none_of(chords.begin(), chords.end(), [&](const SmfNote& c) {
                  return c.start <= note.start && note.start < c.end && (c.pitch - note.pitch) % 12 == 0;
                });
    EXPECT_EQ(misses, 1) << "voice " << voice;
  }
}

}  // namespace
