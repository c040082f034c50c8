// Helpers of the adapter tests: a temporary folder that cleans up after
// itself, small files, and test media (a sine MP3 made with lame, a MIDI tune).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A fresh folder under $TMPDIR (or /tmp), removed with all it holds.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }  // with a trailing "/"
  std::string operator/(const std::string& relative) const { return path_ + relative; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
void MakeFolder(const std::string& path);  // and its parents
// Encodes a one-second-or-so 440 Hz sine with lame; false when lame could not.
bool MakeSineMp3(const std::string& path, double seconds, int amplitude);
// A standard MIDI file: one piano chord held for the given time.
std::string TinyMidi(double seconds = 1.0);
// The largest absolute sample in a raw 16-bit stereo file as SDL's disk
// driver writes it: of both channels (-1), the left (0) or the right (1).
int PeakOfRawSamples(const std::string& path, int channel = -1);
// A Unix socket at the path (a directory entry that is no file to play).
void MakeSocket(const std::string& path);
