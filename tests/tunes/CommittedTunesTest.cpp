// Tests of the 26 built-in tunes as committed: well-formed MIDI files of the
// right size and length, up to date with their sources, distinct, titled and
// embedded byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "EmbeddedTunes.h"
#include "SmfReader.h"
#include "TuneCompiler.h"
#include "music/TuneTitles.h"

namespace {

const std::string TunesDir = TUNES_DIR;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << path;
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string MidPath(char letter) { return TunesDir + "/mid/" + letter + ".mid"; }
std::string SourcePath(char letter) { return TunesDir + "/src/" + letter + ".tune"; }

class CommittedTune : public testing::TestWithParam<char> {};

TEST_P(CommittedTune, IsAWellFormedFormatOneFileOfTheRightSizeAndLength) {
  std::string bytes = ReadFile(MidPath(GetParam()));
  EXPECT_GE(bytes.size(), 741u);
  EXPECT_LE(bytes.size(), 7664u);
  Smf smf;
  ASSERT_EQ(ReadSmf(bytes, smf), "");
  EXPECT_EQ(smf.format, 1);
  int withNotes = 0;
  for (const SmfTrack& track : smf.tracks) {
    if (!track.notes.empty()) ++withNotes;
    for (const SmfNote& note : track.notes) EXPECT_GT(note.end, note.start);
  }
  EXPECT_GE(withNotes, 2) << "a melody and at least one accompaniment";
  EXPECT_TRUE(smf.tracks.size() >= 3 && smf.tracks[0].notes.empty()) << "a tempo track first";
  EXPECT_FALSE(smf.tempos.empty());
  double seconds = smf.Seconds();
  EXPECT_GE(seconds, 40.0);
  EXPECT_LE(seconds, 120.0);
  // Phrased, not a flat beep: the melody uses several velocities and lengths.
  std::set<int> velocities, lengths;
  for (const SmfNote& note : smf.tracks[1].notes) {
    velocities.insert(note.velocity);
    lengths.insert(static_cast<int>(note.end - note.start));
  }
  EXPECT_GE(velocities.size(), 3u);
  EXPECT_GE(lengths.size(), 3u);
}

TEST_P(CommittedTune, IsExactlyWhatItsSourceCompilesTo) {
  std::string path = SourcePath(GetParam());
  TuneCompileResult result = CompileTune(ReadFile(path), path);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_TRUE(result.midi == ReadFile(MidPath(GetParam())))
      << GetParam() << ".mid is stale or edited by hand: rebuild the target 'tunes'";
}

TEST_P(CommittedTune, IsEmbeddedByteForByteUnderBothCases) {
  std::string bytes = ReadFile(MidPath(GetParam()));
  EXPECT_TRUE(EmbeddedTune(GetParam()) == bytes);
  EXPECT_TRUE(EmbeddedTune(static_cast<char>(GetParam() - 'A' + 'a')) == bytes);
}

INSTANTIATE_TEST_SUITE_P(Tunes, CommittedTune, testing::Range('A', static_cast<char>('Z' + 1)),
                         [](const testing::TestParamInfo<char>& info) { return std::string(1, info.param); });

TEST(CommittedTunes, AreTwentySixDifferentMelodies) {
  std::set<std::vector<int>> openings;
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    Smf smf;
    ASSERT_EQ(ReadSmf(ReadFile(MidPath(letter)), smf), "") << letter;
    std::vector<int> opening;
    for (const SmfNote& note : smf.tracks.at(1).notes) {
      if (opening.size() < 8) opening.push_back(note.pitch);
    }
    EXPECT_EQ(opening.size(), 8u) << letter;
    EXPECT_TRUE(openings.insert(opening).second) << letter << " opens like an earlier tune";
  }
  EXPECT_TRUE(EmbeddedTune('@').empty());
  EXPECT_TRUE(EmbeddedTune('[').empty());
}

TEST(CommittedTunes, TitlesAreDistinctPlainOfOneFormAndOfTheRightLength) {
  std::set<std::string> seen;
  for (const char* title : TuneTitles) {
    std::string text = title;
    EXPECT_GE(text.size(), 6u) << text;
    EXPECT_LE(text.size(), 41u) << text;
    for (char c : text) EXPECT_TRUE(c >= 32 && c < 127) << text;
    EXPECT_EQ(text.find("Tune "), std::string::npos) << "a placeholder: " << text;
    std::size_t dash = text.find(" - ");  // composer (or Traditional), then the work
    EXPECT_TRUE(dash != std::string::npos && dash > 0 && dash + 3 < text.size()) << text;
    EXPECT_TRUE(seen.insert(text).second) << "twice: " << text;
  }
}

}  // namespace
