// Temporary folders and test media for the adapter tests.
#include "TestFiles.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/timer-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern + "/";
}

TempDir::~TempDir() {
  // Folders a test made unreadable must be opened again before removal.
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(path_, fs::directory_options::skip_permission_denied, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) break;
    if (it->is_directory(ec) && !it->is_symlink(ec)) chmod(it->path().c_str(), 0700);
  }
  chmod(path_.c_str(), 0700);
  for (const auto& entry : fs::directory_iterator(path_, ec)) {
    if (entry.is_directory(ec) && !entry.is_symlink(ec)) chmod(entry.path().c_str(), 0700);
  }
  fs::remove_all(path_, ec);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeFolder(const std::string& path) { fs::create_directories(path); }

namespace {

void PutLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string SineWav(double seconds, int amplitude) {
  constexpr int rate = 22050;
  const int frames = static_cast<int>(seconds * rate);
  std::string data;
  data.reserve(static_cast<std::size_t>(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const double sample = amplitude * std::sin(2.0 * M_PI * 440.0 * i / rate);
    PutLe(data, static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(sample))), 2);
  }
  std::string wav = "RIFF";
  PutLe(wav, static_cast<std::uint32_t>(36 + data.size()), 4);
  wav += "WAVEfmt ";
  PutLe(wav, 16, 4);
  PutLe(wav, 1, 2);  // PCM
  PutLe(wav, 1, 2);  // mono
  PutLe(wav, rate, 4);
  PutLe(wav, rate * 2, 4);  // bytes per second
  PutLe(wav, 2, 2);         // block align
  PutLe(wav, 16, 2);        // bits per sample
  wav += "data";
  PutLe(wav, static_cast<std::uint32_t>(data.size()), 4);
  return wav + data;
}

bool MakeSineMp3(const std::string& path, double seconds, int amplitude) {
  const std::string wav = path + ".wav";
  WriteBytes(wav, SineWav(seconds, amplitude));
  const char* argv[] = {"lame", "--quiet", "-b", "64", wav.c_str(), path.c_str(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, "lame", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  unlink(wav.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string TinyMidi(double seconds) {
  // Format 0, 480 ticks a quarter at 120 a minute (960 ticks a second): a
  // piano C major chord held for the given time.
  const auto ticks = static_cast<std::uint32_t>(seconds * 960) & 0x3FFF;  // two length bytes
  std::string track("\0\xC0\0\0\x90\x3C\x6E\0\x90\x40\x6E\0\x90\x43\x6E", 15);
  track += static_cast<char>(0x80 | (ticks >> 7));
  track += static_cast<char>(ticks & 0x7F);
  track += std::string("\x80\x3C\0\0\x80\x40\0\0\x80\x43\0\0\xFF\x2F\0", 15);
  std::string midi("MThd\0\0\0\x06\0\0\0\x01\x01\xE0MTrk\0\0\0", 21);
  midi += static_cast<char>(track.size());
  return midi + track;
}

int PeakOfRawSamples(const std::string& path, int channel, std::size_t maxBytes, std::size_t fromByte) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(fromByte & ~std::size_t{3}));  // whole stereo frames
  std::vector<char> buffer(1 << 16);                                  // a whole number of stereo frames
  std::size_t total = 0;
  int peak = 0;
  while (in && total < maxBytes) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    for (std::size_t i = 0; i + 1 < got; i += 2) {
      if (channel >= 0 && static_cast<int>((i / 2) % 2) != channel) continue;
      const auto sample = static_cast<std::int16_t>(static_cast<std::uint8_t>(buffer[i]) |
                                                    (static_cast<std::uint8_t>(buffer[i + 1]) << 8));
      peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    total += got;
  }
  return peak;
}

void MakeSocket(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  path.copy(address.sun_path, path.size());
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(fd);
}
