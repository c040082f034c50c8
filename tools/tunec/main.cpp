// tunec: compiles one tune source into a MIDI file, written whole or not at all.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "TuneCompiler.h"

namespace {

// Writes to a temporary file beside the target and renames it into place, so
// a reader never sees half a file and a failure leaves the old file alone.
bool WriteAtomically(const std::string& path, const std::string& bytes, std::string& error) {
  std::string temp = path + ".tmp-XXXXXX";
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    error = "cannot create a temporary file beside " + path + ": " + std::strerror(errno);
    return false;
  }
  fchmod(fd, 0644);  // a normal file, as a plain create would give
  std::size_t written = 0;
  while (written < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  bool ok = written == bytes.size() && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: tunec IN.tune OUT.mid\n";
    return 2;
  }
  std::string input = argv[1], output = argv[2];
  std::ifstream file(input, std::ios::binary);
  if (!file) {
    std::cerr << input << ": cannot open: " << std::strerror(errno) << "\n";
    return 1;
  }
  // Read one byte past the limit so an oversized source is reported, not truncated.
  std::string source(MaxTuneSourceBytes + 1, '\0');
  file.read(source.data(), static_cast<std::streamsize>(source.size()));
  source.resize(static_cast<std::size_t>(file.gcount()));
  if (file.bad()) {
    std::cerr << input << ": cannot read\n";
    return 1;
  }
  TuneCompileResult result = CompileTune(source, input);
  if (!result.Ok()) {
    std::cerr << result.error << "\n";
    return 1;
  }
  std::string error;
  if (!WriteAtomically(output, result.midi, error)) {
    std::cerr << error << "\n";
    return 1;
  }
  std::ostringstream seconds;
  seconds.setf(std::ios::fixed);
  seconds.precision(1);
  seconds << result.seconds;
  std::cout << output << ": " << result.midi.size() << " bytes, " << seconds.str() << " s\n";
  return 0;
}
