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
  // The folder's path with a trailing "/".
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + relative; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
void MakeFolder(const std::string& path);  // and its parents

// One-channel 16-bit WAV of a sine at the given amplitude.
std::string SineWav(double seconds, int amplitude);
// Encodes a sine with lame into path; false when lame could not do it.
bool MakeSineMp3(const std::string& path, double seconds, int amplitude);
// A standard MIDI file: one piano chord held for a second.
std::string TinyMidi(double seconds = 1.0);

// The largest absolute 16-bit sample in (at most the first maxBytes of) a
// raw little-endian stereo sample file, as SDL's disk audio driver writes
// it: of both channels (-1), the left (0) or the right (1).
int PeakOfRawSamples(const std::string& path, int channel = -1, std::size_t maxBytes = 256u << 20,
                     std::size_t fromByte = 0);

// A Unix socket at the path (a directory entry that is no file to play).
void MakeSocket(const std::string& path);
