// Helpers of the adapter tests: a temporary folder that cleans up after
// itself, environment variables set for a while, small files and a test song.
#pragma once

#include <optional>
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

// Sets an environment variable (nullopt: removes it) until the end of the scope.
struct ScopedEnv {
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ~ScopedEnv();
  const char* name;
  std::optional<std::string> old;
};

void WriteBytes(const std::string& path, std::string_view bytes);  // and the folders on its way
std::string ReadBytes(const std::string& path);                    // "" for what is no file
// A 440 Hz sine encoded with lame; false when lame could not.
bool MakeSineMp3(const std::string& path, double seconds, int amplitude);
// The largest absolute sample of one channel (0 left, 1 right) in the first
// 64 MB of what SDL's disk driver wrote (16-bit stereo).
int PeakOfRawSamples(const std::string& path, int channel);
