// Finding the user's music folder and preparing the private cache folder.
#include "XdgUserFolders.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "app/Platform.h"

namespace {

constexpr const char* AppFolderName = "TimerZqv2010";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The value of a line NAME="..." in user-dirs.dirs, with $HOME expanded;
// nothing when the line is absent or names the home folder itself (which
// is how a folder is switched off there).
std::optional<std::string> UserDir(const std::string& file, const std::string& name, const std::string& home) {
  std::ifstream in(file);
  std::string line;
  std::optional<std::string> found;
  while (std::getline(in, line)) {
    std::size_t pos = line.find_first_not_of(" \t");
    if (pos == std::string::npos || line[pos] == '#') continue;
    if (line.compare(pos, name.size() + 1, name + "=") != 0) continue;
    pos += name.size() + 1;
    if (pos >= line.size() || line[pos] != '"') continue;
    std::string value;
    bool closed = false;
    for (++pos; pos < line.size(); ++pos) {
      if (line[pos] == '\\' && pos + 1 < line.size()) {
        value += line[++pos];
      } else if (line[pos] == '"') {
        closed = true;
        break;
      } else {
        value += line[pos];
      }
    }
    if (!closed) continue;
    if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/')) {
      value = home + value.substr(5);
    } else if (value.empty() || value[0] != '/') {
      continue;  // only "$HOME/..." and absolute paths are valid
    }
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    found = value;  // the last line wins, as in the shell
  }
  if (found && *found == home) return std::nullopt;
  return found;
}

// Makes every missing folder of an absolute path, private to the user.
bool MakeFolders(const std::string& path) {
  for (std::size_t cut = path.find('/', 1);; cut = path.find('/', cut + 1)) {
    const std::string part = path.substr(0, cut);
    if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (cut == std::string::npos) return IsFolder(path);
  }
}

}  // namespace

std::string XdgUserFolders::HomeFolder() {
  std::string home = Env("HOME");
  if (!home.empty()) return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* result = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
      result->pw_dir != nullptr) {
    home = result->pw_dir;
  }
  return home;
}

std::string XdgUserFolders::SpecialFolderPath(int folderId) {
  if (folderId != CsidlMyMusic) return {};
  const std::string home = HomeFolder();
  if (home.empty() || home[0] != '/') return {};
  std::string config = Env("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') config = home + "/.config";
  if (const auto music = UserDir(config + "/user-dirs.dirs", "XDG_MUSIC_DIR", home)) return *music;
  const std::string fallback = home + "/Music";
  return IsFolder(fallback) ? fallback : std::string();
}

std::string XdgUserFolders::TempFolder() {
  std::string cache = Env("XDG_CACHE_HOME");
  if (cache.empty() || cache[0] != '/') {
    const std::string home = HomeFolder();
    if (home.empty() || home[0] != '/') return {};
    cache = home + "/.cache";
  }
  while (cache.size() > 1 && cache.back() == '/') cache.pop_back();
  const std::string folder = (cache == "/" ? std::string() : cache) + "/" + AppFolderName;
  if (!MakeFolders(cache)) return {};
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};

  // Whatever was there must be our own real folder, closed to others.
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return {};
  struct stat st {};
  bool safe = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
  if (safe && (st.st_mode & 077) != 0) safe = fchmod(fd, 0700) == 0;
  close(fd);
  return safe ? folder + "/" : std::string();
}
