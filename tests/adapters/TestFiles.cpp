// Temporary folders, environment and test media for the adapter tests.
#include "TestFiles.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

TempDir::TempDir() : path_(std::filesystem::temp_directory_path() / "timer-test-XXXXXX") {
  if (mkdtemp(path_.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ += "/";
}

// Folders a test made unreadable are opened again first; so are paths beyond
// the path limit, which only a shell's relative walk removes.
TempDir::~TempDir() {
  (void)!std::system(("chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'").c_str());
}

static void SetEnv(const char* name, const std::optional<std::string>& value) {
  value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name(name) {
  if (const char* was = std::getenv(name)) old = was;
  SetEnv(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(name, old); }

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
    throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  if (!std::filesystem::is_regular_file(path)) return {};
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool MakeSineMp3(const std::string& path, double seconds, int amplitude) {
  std::string pcm;  // raw 16-bit mono at 22,050 Hz
  for (int i = 0; i < static_cast<int>(seconds * 22050); ++i) {
    const auto s = static_cast<std::uint16_t>(std::lround(amplitude * std::sin(2.0 * M_PI * 440.0 * i / 22050)));
    pcm += {static_cast<char>(s & 0xFF), static_cast<char>(s >> 8)};
  }
  WriteBytes(path + ".raw", pcm);
  const std::string command = "lame --quiet -r -s 22.05 --bitwidth 16 --signed --little-endian -m m -b 64 '" + path +
                              ".raw' '" + path + "' 2>/dev/null";
  const bool ok = std::system(command.c_str()) == 0;
  unlink((path + ".raw").c_str());
  return ok;
}

int PeakOfRawSamples(const std::string& path, int channel) {
  std::vector<std::int16_t> samples(std::size_t{32} << 20);  // little-endian, as the machine
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
  int peak = 0;
  for (auto i = static_cast<std::size_t>(channel); i < static_cast<std::size_t>(in.gcount()) / 2; i += 2)
    peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
  return peak;
}
