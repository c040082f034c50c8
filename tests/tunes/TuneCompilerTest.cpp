// The tune compiler: what the notation means in the MIDI file, what it
// rejects and where, and that the tool never leaves a half-written file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SmfReader.h"
#include "TuneCompiler.h"

namespace {

const std::string Header = "tempo 120\ntrack mel program=flute\ntrack bass program=cello octave=2 reverb=0\n";

// One facet of the compiled file, as numbers: 'h' format, division and track
// count; of track `track`: 'p' pitches, 's' starts, 'l' sounding lengths,
// 'v' velocities, 'g' programs, 'k' controllers, 'e' end tick; of the file:
// 'c' each track's channel, 't' the tempo map, 'S' milliseconds.
std::vector<long> Facet(const Smf& smf, char what, std::size_t track) {
  std::vector<long> out;
  if (what == 'h') return {smf.format, smf.division, static_cast<long>(smf.tracks.size())};
  if (what == 'S') return {std::lround(smf.Seconds() * 1000)};
  if (what == 't') {
    for (const auto& [tick, micros] : smf.tempos) out.insert(out.end(), {static_cast<long>(tick), long{micros}});
    return out;
  }
  if (what == 'c') {
    for (std::size_t t = 1; t < smf.tracks.size(); ++t) out.push_back(smf.tracks[t].notes.at(0).channel);
    return out;
  }
  const SmfTrack& t = smf.tracks.at(track);
  if (what == 'g') return {t.programs.begin(), t.programs.end()};
  if (what == 'k') return {t.controls.begin(), t.controls.end()};
  if (what == 'e') return {static_cast<long>(t.endTick)};
  for (const SmfNote& n : t.notes) {
    out.push_back(what == 'p' ? n.pitch : what == 's' ? n.start : what == 'l' ? n.end - n.start : n.velocity);
  }
  return out;
}

std::string Tracks(int count) {
  std::string text = "tempo 120\n", music = "section a\n";
  for (int i = 0; i < count; ++i) {
    text += "track t" + std::to_string(i) + "\n";
    music += "t" + std::to_string(i) + ": cw\n";
  }
  return text + music;
}

TEST(TuneCompiler, TheNotationBecomesTheseEvents) {
  const struct {
    std::string source;  // after Header unless it declares its own tempo
    char what;
    std::size_t track;
    std::vector<long> expected;
  } rows[] = {
      {"section a\nmel: c4q d e f\nbass: c2w\n", 'h', 0, {1, 96, 3}},
      {"section a\nmel: c4q d e f\nbass: c2w\n", 'S', 0, {2000}},  // one bar of 4/4 at 120
      {"section a\nmel: c4q d e f\nbass: c2w\n", 'g', 1, {73}},    // flute, counted from 1 in the source
      {"section a\nmel: c4q d e f\nbass: c2w\n", 'k', 1, {7, 100, 10, 64}},
      {"section a\nmel: c4q d e f\nbass: c2w\n", 'k', 2, {7, 100, 10, 64, 91, 0}},
      {"time 8/4\nsection a\nmel: c4e d eb5 f#3q bb a4h\n", 'p', 1, {60, 62, 75, 54, 58, 69}},
      {"time 8/4\nsection a\nmel: c4e d eb5 f#3q bb a4h\n", 's', 1, {0, 48, 96, 144, 240, 336}},
      {"time 8/4\nsection a\nmel: cq. de ee3 e e gh+e rs fs.\n", 'p', 1, {60, 62, 64, 64, 64, 67, 65}},
      {"time 8/4\nsection a\nmel: cq. de ee3 e e gh+e rs fs.\n", 's', 1, {0, 144, 192, 224, 256, 288, 552}},
      {"time 8/4\nsection a\nmel: cq. de ee3 e e gh+e rs fs.\n", 'e', 1, {588}},
      // Staccato half, tenuto all, plain a little short; ties across a bar make one note.
      {"section a\nmel: cq' d_ f e~ | e f [c e g]h~ | [c e g]q r r\n", 's', 1, {0, 96, 192, 288, 480, 576, 576, 576}},
      {"section a\nmel: cq' d_ f e~ | e f [c e g]h~ | [c e g]q r r\n", 'l', 1, {48, 96, 86, 182, 86, 278, 278, 278}},
      // The downbeat leans, a crescendo grows, an accent stands out.
      {"section a\nmel: !p cq d e f | !< c d e f | !f c d> e f\n",
       'v',
       1,
       {58, 50, 53, 50, 58, 60, 74, 81, 100, 106, 95, 92}},
      {"section a pickup=q\nmel: g3q | c4w | rh. \nbass: rq | c2w | rh.\nsection b pickup=q\nmel: d4q | dw | rh.\n"
       "play a b*2 a\n",
       'p',
       1,
       {55, 60, 62, 62, 62, 62, 55, 60}},
      {"section a pickup=q\nmel: g3q | c4w | rh. \nbass: rq | c2w | rh.\nsection b pickup=q\nmel: d4q | dw | rh.\n"
       "play a b*2 a\n",
       'e',
       2,
       {96 * 32}},
      {"section a\nmel: @60 cw | cq @>30 c c c\nsection b\nmel: cw\n",
       't',
       0,
       {0, 500000, 0, 1000000, 480, 1200000, 576, 1500000, 672, 2000000, 768, 500000}},
      {"section a\nmel: c4h !prog=violin d\nsection b\nmel: cw\nplay a b\n", 'g', 1, {73, 40, 73}},
      {"section a\nmel: cw\nsection b\nmel: cq @>30 c c c\nplay a a@60 b@60\n",
       't',
       0,
       {0, 500000, 384, 1000000, 864, 1200000, 960, 1500000, 1056, 2000000}},
      {"section a\nmel: cw\nsection b\nmel: cq @>30 c c c\nplay a a@60 b@60\n", 'S', 0, {11700}},
      // Channel 10 is the drum kit: the tenth track and those after it move up one.
      {Tracks(15), 'c', 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15}},
      {"section a\nmel: [c d e f g a b c5 d e]w\n", 'p', 1, {60, 62, 64, 65, 67, 69, 71, 72, 74, 76}},
      {"section a\nmel: ch... ds\n", 's', 1, {0, 360}},  // three dots: a half and seven eighths of it
  };
  for (const auto& row : rows) {
    const std::string source = row.source.rfind("tempo", 0) == 0 ? row.source : Header + row.source;
    const TuneCompileResult result = CompileTune(source, "t.tune");
    ASSERT_TRUE(result.ok()) << result.error;
    Smf smf;
    ASSERT_EQ(ReadSmf(result.midi, smf), "") << row.source;
    EXPECT_EQ(Facet(smf, row.what, row.track), row.expected) << row.what << " of\n" << row.source;
  }
}

TEST(TuneCompiler, RejectsWithTheFileAndLine) {
#define TRACKS "tempo 100\ntrack m program=flute\ntrack b program=cello\n"
  const std::pair<std::string, const char*> rows[] = {
      {"", "1: no track"},
      {"tempo 100\ntrack m\n", "2: no section"},
      {"tempo 1000\n", "1: the tempo must be a whole number from 10 to 400"},
      {"time 3/5\n", "1: the beat's note value must be 1, 2, 4, 8, 16 or 32"},
      {"track m program=kazoo\n", "1: an instrument (name or General MIDI program) must be"},
      {"track m\ntrack m\n", "2: a second track named m"},
      {Tracks(16), "17: more than 15 tracks"},
      {"track m\nm: c\n", "2: music before the first 'section' line"},
      {TRACKS "section a\nx: c\n", "5: no track named"},
      {TRACKS "section a\nm: c d e | f g a b\n", "5: this bar lasts 3 quarter notes"},
      {TRACKS "section a pickup=e\nm: cq | d e f g\n", "5: the pickup lasts"},
      {TRACKS "section a pickup=w\nm: cw\n", "4: the pickup must be shorter than a bar"},
      {TRACKS "section a\nm: c d e f g\n", "5: the last bar lasts"},
      {TRACKS "section a\nm: c d e\nsection b\nm: cw\n", "6: where section a meets b a bar lasts 3 quarter notes"},
      {TRACKS "section a pickup=e\nm: ce | cw | cq c c\nplay a a\n", "6: where section a meets a a bar lasts 3.5"},
      {TRACKS "section a\nm: c12\n", "5: an octave is one digit"},
      {TRACKS "section a\nm: a9\n", "5: a pitch outside the MIDI range"},
      {TRACKS "section a\nm: [c d e f g a b c5 d e f]w\n", "5: more than ten notes in one chord"},
      {TRACKS "section a\nm: [c c]w\n", "5: the same pitch twice"},
      {TRACKS "section a\nm: ch~ dh\n", "5: a tie '~' must join notes of the same pitch"},
      {TRACKS "section a\nm: cq.... d e f\n", "5: more than three dots"},
      {TRACKS "section a\nm: !< c d e f\n", "5: this hairpin needs"},
      {TRACKS "section a\nm: @>50 cw @60\n", "5: a tempo glide must be the section's last"},
      {TRACKS "section a\nm: cw\nplay a z\n", "6: no section named"},
      {TRACKS "section a\nm: cw\nplay a@5\n", "6: a section's tempo must be"},
      {TRACKS "section a\nm: \n", "4: section a has no music"},
      {std::string(MaxTuneSourceBytes + 1, ' '), "1: the source is larger than 256 KiB"},
  };
#undef TRACKS
  for (const auto& [source, message] : rows) {
    const TuneCompileResult result = CompileTune(source, "dir/bad.tune");
    EXPECT_TRUE(result.midi.empty());
    EXPECT_EQ(result.error.rfind(std::string("dir/bad.tune:") + message, 0), 0u) << result.error;
  }
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A missing, bad or unwritable source or target fails with the file named and
// leaves the old file whole and no temporary file beside it.
TEST(TuneTool, WritesTheWholeTuneOrNothing) {
  const auto dir = std::filesystem::temp_directory_path() / ("tunec-test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string good = Header + "section a\nmel: c4q d e f\n";
  const struct {
    const char* what;
    std::string source;  // empty: no source file
    const char* limits;  // shell commands run before the tool
    int exit;
    bool replaced;
  } rows[] = {
      {"no source", "", "", 1, false},
      {"bad source", Header + "section a\nmel: c4q d e f\nmel: x\n", "", 1, false},
      {"a full disk", good, "trap '' XFSZ; ulimit -f 0;", 1, false},
      {"good", good, "", 0, true},
  };
  for (const auto& row : rows) {
    std::filesystem::remove(dir / "in.tune");
    if (!row.source.empty()) std::ofstream(dir / "in.tune", std::ios::binary) << row.source;
    std::ofstream(dir / "out.mid", std::ios::binary) << "old contents";
    const std::string command = std::string(row.limits) + "'" TUNEC_PATH "' '" + (dir / "in.tune").string() + "' '" +
                                (dir / "out.mid").string() + "' 2>'" + (dir / "err").string() + "'";
    const int status = std::system(("sh -c \"" + command + "\"").c_str());
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, row.exit) << row.what;
    EXPECT_EQ(ReadFile(dir / "out.mid"), row.replaced ? CompileTune(row.source, "x").midi : "old contents") << row.what;
    if (!row.replaced && !*row.limits) {
      EXPECT_NE(ReadFile(dir / "err").find("in.tune"), std::string::npos) << row.what;
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), row.source.empty() ? 2 : 3) << row.what;
  }
  EXPECT_EQ(std::system("'" TUNEC_PATH "' 2>/dev/null"), 2 << 8);  // usage
  std::filesystem::remove_all(dir);
}

}  // namespace
