// The 26 built-in tunes as committed: each title belongs to the melody its
// file plays, and each file is well formed, current with its source and
// embedded byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EmbeddedTunes.h"
#include "SmfReader.h"
#include "TuneCompiler.h"
#include "music/TuneTitles.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// The melody track's first eight notes, as note names.
std::string Opening(const Smf& smf) {
  static const char* const Names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  std::string text;
  for (std::size_t i = 0; i < 8 && smf.tracks.size() > 1 && i < smf.tracks[1].notes.size(); ++i) {
    const int pitch = smf.tracks[1].notes[i].pitch;
    text += (i ? " " : "") + std::string(Names[pitch % 12]) + std::to_string(pitch / 12 - 1);
  }
  return text;
}

TEST(CommittedTunes, EachTitleNamesTheMelodyItsFilePlays) {
  const struct {
    char letter;
    const char *title, *opening;
  } rows[] = {
      {'A', "Ludwig van Beethoven - Ode to Joy", "F#4 F#4 G4 A4 A4 G4 F#4 E4"},
      {'B', "Ludwig van Beethoven - Fur Elise", "E5 D#5 E5 D#5 E5 B4 D5 C5"},
      {'C', "W. A. Mozart - Eine kleine Nachtmusik", "G4 D4 G4 D4 G4 D4 G4 B4"},
      {'D', "W. A. Mozart - Rondo alla Turca", "B4 A4 G#4 A4 C5 D5 C5 B4"},
      {'E', "Edvard Grieg - Morning Mood", "G#5 E5 D#5 C#5 D#5 E5 G#5 E5"},
      {'F', "Edvard Grieg - Hall of the Mountain King", "B2 C#3 D3 E3 F#3 D3 F#3 F3"},
      {'G', "Johannes Brahms - Lullaby", "A4 A4 C5 A4 A4 C5 A4 C5"},
      {'H', "Scott Joplin - The Entertainer", "D5 D#5 E5 C6 E5 C6 E5 C6"},
      {'I', "Johann Strauss II - The Blue Danube", "D4 D4 D4 D4 F#4 A4 A4 A5"},
      {'J', "Jacques Offenbach - Can-can", "C5 D5 F5 E5 D5 G5 G5 G5"},
      {'K', "Pyotr Ilyich Tchaikovsky - Swan Lake", "F#4 B4 C#5 D5 E5 F#5 D5 F#5"},
      {'L', "Johann Pachelbel - Canon in D", "F#5 E5 D5 C#5 B4 A4 B4 C#5"},
      {'M', "Traditional - Greensleeves", "A4 C5 D5 E5 F5 E5 D5 B4"},
      {'N', "Traditional - Scarborough Fair", "D4 D4 A4 A4 E4 F4 E4 D4"},
      {'O', "Stephen Foster - Oh! Susanna", "C4 D4 E4 G4 G4 A4 G4 E4"},
      {'P', "Georges Bizet - Carmen", "C5 D5 C5 A4 A4 G4 A4 A#4"},
      {'Q', "Gioachino Rossini - William Tell Overture", "B4 B4 B4 B4 B4 B4 B4 B4"},
      {'R', "Antonin Dvorak - Largo (New World)", "F4 G#4 C#5 F#4 A#4 C#5 F#4 C5"},
      {'S', "George Frideric Handel - Hallelujah", "D5 A4 B4 A4 E5 B4 C#5 B4"},
      {'T', "Antonio Vivaldi - Spring", "E5 G#5 G#5 G#5 F#5 E5 B5 B5"},
      {'U', "J. S. Bach - Jesu, Joy of Man's Desiring", "G4 A4 B4 D5 C5 C5 E5 D5"},
      {'V', "Traditional - Amazing Grace", "D4 G4 B4 G4 B4 A4 G4 E4"},
      {'W', "Traditional - Auld Lang Syne", "C4 F4 F4 F4 A4 G4 F4 G4"},
      {'X', "Traditional - Korobeiniki", "E5 B4 C5 D5 C5 B4 A4 A4"},
      {'Y', "Erik Satie - Gymnopedie No. 1", "F#5 A5 G5 F#5 C#5 B4 C#5 D5"},
      {'Z', "James Lord Pierpont - Jingle Bells", "D4 B4 A4 G4 D4 D4 D4 D4"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.letter);
    const std::string source = std::string(TUNES_DIR "/src/") + row.letter + ".tune";
    const std::string bytes = ReadFile(std::string(TUNES_DIR "/mid/") + row.letter + ".mid");
    Smf smf;
    ASSERT_EQ(ReadSmf(bytes, smf), "");
    EXPECT_EQ(TuneTitles[static_cast<std::size_t>(row.letter - 'A')], std::string(row.title));
    EXPECT_EQ(Opening(smf), row.opening);
    EXPECT_EQ(smf.format, 1);
    EXPECT_TRUE(bytes.size() >= 741 && bytes.size() <= 7664) << bytes.size();
    EXPECT_TRUE(smf.Seconds() >= 40 && smf.Seconds() <= 120) << smf.Seconds();
    EXPECT_TRUE(CompileTune(ReadFile(source), source).midi == bytes) << "stale: rebuild the target 'tunes'";
    EXPECT_TRUE(EmbeddedTune(row.letter) == bytes && EmbeddedTune(static_cast<char>(row.letter + 32)) == bytes);
  }
  EXPECT_TRUE(EmbeddedTune('@').empty() && EmbeddedTune('[').empty());
}

}  // namespace
