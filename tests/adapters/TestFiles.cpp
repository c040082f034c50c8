// Temporary folders and test media for the adapter tests.
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/timer-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

// Folders a test made unreadable are opened again first; so are paths beyond
// the path limit, which only a shell's relative walk removes.
TempDir::~TempDir() {
  (void)!std::system(("chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'").c_str());
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())))
    throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {  // "" for what is no file
  if (!fs::is_regular_file(path)) return {};
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeFolder(const std::string& path) { fs::create_directories(path); }

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

std::string TinyMidi(double seconds) {
  // Format 0, 480 ticks a quarter at 120 a minute (960 ticks a second).
  const auto ticks = static_cast<std::uint32_t>(seconds * 960) & 0x3FFF;  // two length bytes
  std::string track("\0\xC0\0\0\x90\x3C\x6E\0\x90\x40\x6E\0\x90\x43\x6E", 15);
  track += {static_cast<char>(0x80 | (ticks >> 7)), static_cast<char>(ticks & 0x7F)};
  track += std::string("\x80\x3C\0\0\x80\x40\0\0\x80\x43\0\0\xFF\x2F\0", 15);
  return std::string("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0", 21) + static_cast<char>(track.size()) + track;
}

int PeakOfRawSamples(const std::string& path, int channel) {
  std::ifstream in(path, std::ios::binary);
  std::string bytes(std::size_t{64} << 20, '\0');  // the first 64 MB say enough
  bytes.resize(static_cast<std::size_t>(in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())).gcount()));
  int peak = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    if (channel >= 0 && static_cast<int>((i / 2) % 2) != channel) continue;
    const auto sample =
        static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) | (static_cast<std::uint8_t>(bytes[i + 1]) << 8));
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  }
  return peak;
}

void MakeSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}
