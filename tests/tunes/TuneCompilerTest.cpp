// Tests of the tune compiler: what the notation means in the MIDI file, what
// it rejects and where, and that the tool never leaves a half-written file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "SmfReader.h"
#include "TuneCompiler.h"

namespace {

const std::string Header =
    "tempo 120\n"
    "track mel program=flute\n"
    "track bass program=cello octave=2\n";

Smf CompileOk(const std::string& source) {
  TuneCompileResult result = CompileTune(source, "t.tune");
  EXPECT_TRUE(result.ok()) << result.error;
  Smf smf;
  std::string error = ReadSmf(result.midi, smf);
  EXPECT_EQ(error, "");
  return smf;
}

TEST(TuneCompiler, WritesFormatOneWithATempoTrackAndOneTrackPerPart) {
  Smf smf = CompileOk(Header + "section a\nmel: c4q d e f\nbass: c2w\n");
  EXPECT_EQ(smf.format, 1);
  EXPECT_EQ(smf.division, 96);
  ASSERT_EQ(smf.tracks.size(), 3u);
  EXPECT_TRUE(smf.tracks[0].notes.empty());
  ASSERT_EQ(smf.tracks[1].notes.size(), 4u);
  EXPECT_EQ(smf.tracks[1].programs, std::vector<int>{73});  // flute, counted from 1 in the source
  EXPECT_EQ(smf.tracks[2].programs, std::vector<int>{42});
  EXPECT_NE(smf.tracks[1].notes[0].channel, smf.tracks[2].notes[0].channel);
  EXPECT_DOUBLE_EQ(smf.Seconds(), 2.0);  // one bar of 4/4 at 120
}

// Pitches, octaves and lengths carry over from note to note; each note's
// start shows the length of the one before.
TEST(TuneCompiler, PitchesOctavesAndLengths) {
  const struct {
    const char* music;
    std::vector<int> pitches, starts;
    int end;
  } cases[] = {
      {"c4e d eb5 f#3q bb a4h", {60, 62, 75, 54, 58, 69}, {0, 48, 96, 144, 240, 336}, 528},
      {"cq. de ee3 e e gh+e rs fs.", {60, 62, 64, 64, 64, 67, 65}, {0, 144, 192, 224, 256, 288, 552}, 588},
  };
  for (const auto& c : cases) {
    Smf smf = CompileOk(Header + "time 8/4\nsection a\nmel: " + c.music + "\n");
    std::vector<int> pitches, starts;
    for (const SmfNote& n : smf.tracks[1].notes) {
      pitches.push_back(n.pitch);
      starts.push_back(static_cast<int>(n.start));
    }
    EXPECT_EQ(pitches, c.pitches) << c.music;
    EXPECT_EQ(starts, c.starts) << c.music;
    EXPECT_EQ(smf.tracks[1].endTick, c.end) << c.music;
  }
}

TEST(TuneCompiler, ArticulationTiesAndChords) {
  Smf smf = CompileOk(Header + "section a\nmel: cq' d_ f e~ | e f [c e g]h~ | [c e g]q r r\n");
  const auto& notes = smf.tracks[1].notes;
  ASSERT_EQ(notes.size(), 8u);
  EXPECT_EQ(notes[0].end - notes[0].start, 48);  // staccato: half its length
  EXPECT_EQ(notes[1].end - notes[1].start, 96);  // tenuto: all of it
  EXPECT_LT(notes[2].end - notes[2].start, 96);  // plain notes sound a little short
  EXPECT_GT(notes[2].end - notes[2].start, 80);
  EXPECT_EQ(notes[3].start, 288);  // tied across the bar: one note of two quarters
  EXPECT_GT(notes[3].end, 384);
  EXPECT_EQ(notes[4].start, 480);
  for (int i = 5; i < 8; ++i) {
    EXPECT_EQ(notes[i].start, 576);
    EXPECT_GT(notes[i].end, 96 * 8);  // the tied chord holds into the next bar
  }
  EXPECT_EQ(smf.tracks[1].endTick, 96 * 11);
}

TEST(TuneCompiler, DynamicsAccentsAndHairpins) {
  Smf smf = CompileOk(Header + "section a\nmel: !p cq d e f | !< c d e f | !f c d> e f\n");
  const auto& n = smf.tracks[1].notes;
  ASSERT_EQ(n.size(), 12u);
  EXPECT_GT(n[0].velocity, n[1].velocity);  // the downbeat leans
  EXPECT_LT(n[4].velocity, n[7].velocity);  // the crescendo grows
  EXPECT_LT(n[7].velocity, n[8].velocity);
  EXPECT_GT(n[8].velocity, n[0].velocity + 30);
  EXPECT_GT(n[9].velocity, n[11].velocity);  // accented
}

TEST(TuneCompiler, SectionsPlayInOrderWithRepeatsAndPickups) {
  Smf smf = CompileOk(Header +
                      "section a pickup=q\nmel: g3q | c4w | rh. \nbass: rq | c2w | rh.\n"
                      "section b pickup=q\nmel: d4q | dw | rh.\n"
                      "play a b*2 a\n");
  std::vector<int> pitches;
  for (const SmfNote& n : smf.tracks[1].notes) pitches.push_back(n.pitch);
  EXPECT_EQ(pitches, (std::vector<int>{55, 60, 62, 62, 62, 62, 55, 60}));
  EXPECT_EQ(smf.tracks[1].notes[2].start, 96 * 8);
  EXPECT_EQ(smf.tracks[2].notes.size(), 2u);  // the bass rests through b
  EXPECT_EQ(smf.tracks[2].endTick, 96 * 32);
}

TEST(TuneCompiler, TempoMarksGlidesAndSectionsStartAtTheTempo) {
  Smf smf = CompileOk(Header + "section a\nmel: @60 cw | cq @>30 c c c\nsection b\nmel: cw\n");
  // a: one bar at 60 (4 s), then 4 beats gliding to 30; b: back at 120 (2 s).
  double seconds = smf.Seconds();
  EXPECT_GT(seconds, 4 + 4 + 2);
  EXPECT_LT(seconds, 4 + 8 + 2);
  EXPECT_EQ(smf.tempos.back().second, 500000u);
}

TEST(TuneCompiler, InstrumentChangesLastToTheSectionEnd) {
  Smf smf = CompileOk(Header + "section a\nmel: c4h !prog=violin d\nsection b\nmel: cw\nplay a b\n");
  EXPECT_EQ(smf.tracks[1].programs, (std::vector<int>{73, 40, 73}));
}

TEST(TuneCompiler, APlayLineCanStartASectionAtItsOwnTempo) {
  // Two bars of 4/4: the first at the tune's 120, the second at 60; a glide
  // in the second section starts from the tempo the play line gave it.
  Smf smf = CompileOk(Header + "section a\nmel: cw\nsection b\nmel: cq @>30 c c c\nplay a a@60 b@60\n");
  EXPECT_EQ(smf.tempos.front().second, 500000u);
  ASSERT_GE(smf.tempos.size(), 3u);
  EXPECT_EQ(smf.tempos[1], (std::pair<std::int64_t, std::uint32_t>{384, 1000000u}));
  // b: one beat at 60, then 50, 40 and 30 beats per minute.
  EXPECT_NEAR(smf.Seconds(), 2 + 4 + 1 + 1.2 + 1.5 + 2, 1e-9);
}

struct BadSource {
  const char* source;
  int line;
  const char* message;
};

class RejectedSource : public testing::TestWithParam<BadSource> {};

TEST_P(RejectedSource, NamesTheFileAndLine) {
  TuneCompileResult result = CompileTune(GetParam().source, "dir/bad.tune");
  EXPECT_FALSE(result.ok());
  EXPECT_TRUE(result.midi.empty());
  std::string prefix = "dir/bad.tune:" + std::to_string(GetParam().line) + ": ";
  EXPECT_EQ(result.error.substr(0, prefix.size()), prefix) << result.error;
  EXPECT_NE(result.error.find(GetParam().message), std::string::npos) << result.error;
}

#define TRACKS "tempo 100\ntrack m program=flute\ntrack b program=cello\n"
INSTANTIATE_TEST_SUITE_P(
    TuneCompiler, RejectedSource,
    testing::Values(BadSource{"", 1, "no track"}, BadSource{"tempo 100\ntrack m\n", 2, "no section"},
                    BadSource{"tempo 1000\n", 1, "10 to 400"}, BadSource{"time 3/5\n", 1, "1, 2, 4, 8"},
                    BadSource{"tune x\n", 1, "unknown line"}, BadSource{"track m program=kazoo\n", 1, "instrument"},
                    BadSource{"track m\ntrack m\n", 2, "second track"},
                    BadSource{"track m\nm: c\n", 2, "before the first 'section'"},
                    BadSource{TRACKS "section a\nx: c\n", 5, "no track named"},
                    BadSource{TRACKS "section a\nm: c d e f | g\n\nm: h\n", 7, "unexpected"},
                    BadSource{TRACKS "section a\nm: c d e | f g a b\n", 5, "this bar lasts 3 quarter notes"},
                    BadSource{TRACKS "section a pickup=e\nm: cq | d e f g\n", 5, "pickup"},
                    BadSource{TRACKS "section a\nm: c d e f g\n", 5, "last bar"},
                    // Where sections meet, the open last bar and the next pickup make one whole bar.
                    BadSource{TRACKS "section a\nm: c d e\nsection b\nm: cw\n", 6,
                              "where section a meets b a bar lasts 3 quarter notes, it needs 4"},
                    BadSource{TRACKS "section a\nm: cw\nsection b pickup=q\nm: c | cw\n", 6, "lasts 1 quarter"},
                    BadSource{TRACKS "section a pickup=e\nm: ce | cw | cq c c\nplay a a\n", 6, "lasts 3.5 quarter"},
                    BadSource{TRACKS "section a\nm: c12\n", 5, "one digit"},
                    BadSource{TRACKS "section a\nm: a9\n", 5, "MIDI range"},
                    BadSource{TRACKS "section a\nm: [c e g\n", 5, "closing"},
                    BadSource{TRACKS "section a\nm: [c c]w\n", 5, "twice"},
                    BadSource{TRACKS "section a\nm: ch~ dh\n", 5, "same pitch"},
                    BadSource{TRACKS "section a\nm: cw~\nsection b\nm: cw\n", 5, "at the end of the section"},
                    BadSource{TRACKS "section a\nm: cq'' d e f\n", 5, "articulation"},
                    BadSource{TRACKS "section a\nm: !< c d e f\n", 5, "hairpin"},
                    BadSource{TRACKS "section a\nm: !loud c\n", 5, "unknown mark"},
                    BadSource{TRACKS "section a\nm: @>50 cw @60\n", 5, "glide"},
                    BadSource{TRACKS "section a\nm: cw\nplay a z\n", 6, "no section named"},
                    BadSource{TRACKS "section a\nm: cw\nplay a*16 a*16 a*16 a*16 a*16 a*16 a*16 a*16 "
                                     "a*16 a*16 a*16 a*16 a*16 a*16 a*16 a*16 a\n",
                              6, "more than 256"},
                    BadSource{TRACKS "section a\nm: cw\nplay a@5\n", 6, "tempo"},
                    BadSource{TRACKS "section a\nm: \n", 4, "no music"}));
#undef TRACKS

TEST(TuneCompiler, StopsAtItsLimitsWithAnError) {
  std::string many = "tempo 100\ntrack m\nsection a\nm:";
  for (int i = 0; i < 20001; ++i) many += " cs";
  TuneCompileResult tooMany = CompileTune(many, "many.tune");
  EXPECT_NE(tooMany.error.find("many.tune:4: too many notes"), std::string::npos) << tooMany.error;

  std::string huge(MaxTuneSourceBytes + 1, ' ');
  EXPECT_EQ(CompileTune(huge, "huge.tune").error, "huge.tune:1: the source is larger than 256 KiB");

  // Sixteen whole notes a section, 256 times: a long tune, still within its limits.
  std::string longest = "tempo 10\ntime 32/2\ntrack m\nsection a\nm: cw+w+w+w+w+w+w+w+w+w+w+w+w+w+w+w\nplay";
  for (int i = 0; i < 16; ++i) longest += " a*16";
  EXPECT_TRUE(CompileTune(longest, "long.tune").ok());
}

// ---- The command-line tool ----

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class TuneTool : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("tunec-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  int Run(const std::string& in, const std::string& out) {
    std::string command = std::string("'") + TUNEC_PATH + "' '" + (dir_ / in).string() + "' '" + (dir_ / out).string() +
                          "' >'" + (dir_ / "stdout").string() + "' 2>'" + (dir_ / "stderr").string() + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::filesystem::path dir_;
};

// A missing or bad source, or a target that cannot be replaced, fails with
// the file named and leaves no half or temporary file; a good one is written.
TEST_F(TuneTool, WritesTheWholeTuneOrNothing) {
  const std::vector<std::string> names = {"in.tune", "out.mid", "stderr", "stdout"};
  EXPECT_NE(Run("in.tune", "out.mid"), 0);
  EXPECT_NE(ReadFile(dir_ / "stderr").find("in.tune"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "out.mid"));

  WriteFile(dir_ / "in.tune", Header + "section a\nmel: c4q d e f\nmel: x\n");
  WriteFile(dir_ / "out.mid", "old contents");
  EXPECT_NE(Run("in.tune", "out.mid"), 0);
  EXPECT_EQ(ReadFile(dir_ / "out.mid"), "old contents");
  EXPECT_NE(ReadFile(dir_ / "stderr").find("in.tune:6: "), std::string::npos) << ReadFile(dir_ / "stderr");
  EXPECT_EQ(Files(), names);

  const std::string good = Header + "section a\nmel: c4q d e f\n";
  WriteFile(dir_ / "in.tune", good);
  EXPECT_EQ(Run("in.tune", "out.mid"), 0);
  EXPECT_EQ(ReadFile(dir_ / "out.mid"), CompileTune(good, "x").midi);
  EXPECT_EQ(Files(), names);

  std::filesystem::remove(dir_ / "out.mid");
  std::filesystem::create_directory(dir_ / "out.mid");  // rename cannot replace a folder
  EXPECT_NE(Run("in.tune", "out.mid"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "out.mid"));
  EXPECT_EQ(Files(), names);
}

}  // namespace
