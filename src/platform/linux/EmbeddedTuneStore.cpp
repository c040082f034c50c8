// Tune bytes from the embedded library; atomic replacement of the tune file.
#include "EmbeddedTuneStore.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "EmbeddedTunes.h"

EmbeddedTuneStore::EmbeddedTuneStore(Lookup lookup) : lookup_(std::move(lookup)) {
  if (!lookup_) lookup_ = [](char letter) { return EmbeddedTune(letter); };
}

std::optional<std::string_view> EmbeddedTuneStore::FindResource(const std::string& name, const std::string& type) {
  if (strcasecmp(type.c_str(), "MIDI") != 0 || name.size() != 1) return std::nullopt;
  const char letter = name[0];
  const bool isLetter = (letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z');
  if (!isLetter) return std::nullopt;
  const std::string_view bytes = lookup_(letter);
  if (bytes.empty()) return std::nullopt;
  return bytes;
}

bool EmbeddedTuneStore::WriteFile(const std::string& path, std::string_view bytes) {
  if (path.empty() || path.back() == '/') return false;
  struct stat st {};
  if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return false;

  const std::size_t cut = path.rfind('/');
  const std::string folder = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  std::string temp = folder + "." + name + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return false;

  bool ok = true;
  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (ok && left > 0) {
    const ssize_t written = write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      ok = false;
    } else {
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  if (fchmod(fd, 0600) != 0) ok = false;
  if (close(fd) != 0) ok = false;
  // rename() replaces whatever is at the name (a link included) in one step.
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return false;
  }
  return true;
}
