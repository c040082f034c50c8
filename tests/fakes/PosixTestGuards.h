// Helpers of the tests on real files on Linux: a temporary folder that cleans
// up after itself, environment variables set for a while, small files, and a
// guard: whatever blocks (a FIFO opened for reading, a walk that never ends)
// ends the test binary with its name instead of the test runner's timeout.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct HangGuard {
  explicit HangGuard(const std::string& what, unsigned seconds = 120) {
    std::snprintf(what_, sizeof what_, "hung: %s\n", what.c_str());
    signal(SIGALRM, [](int) { (void)!write(2, what_, std::strlen(what_)), _exit(3); });
    alarm(seconds);
  }
  ~HangGuard() { alarm(0); }
  static inline char what_[256];
};

// A fresh folder under $TMPDIR (or /tmp), removed with all it holds.
struct TempDir {
  TempDir() : path_(std::filesystem::temp_directory_path() / "timer-test-XXXXXX") {
    if (mkdtemp(path_.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ += "/";
  }
  // Folders a test made unreadable are opened again first; so are paths beyond
  // the path limit, which only a shell's relative walk removes.
  ~TempDir() { (void)!std::system(("chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'").c_str()); }
  TempDir(const TempDir&) = delete;
  const std::string& Path() const { return path_; }  // with a trailing "/"
  std::string operator/(const std::string& relative) const { return path_ + relative; }
  // A shell command run here; its exit status as std::system gives it.
  int Run(const std::string& command) const { return std::system(("cd '" + path_ + "' && " + command).c_str()); }
  std::string path_;
};

// Sets an environment variable (nullopt: removes it) until the end of the scope.
struct ScopedEnv {
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name(name) {
    if (const char* was = std::getenv(name)) old = was;
    Set(value);
  }
  ~ScopedEnv() { Set(old); }
  void Set(const std::optional<std::string>& value) { value ? setenv(name, value->c_str(), 1) : unsetenv(name); }
  const char* name;
  std::optional<std::string> old;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  if (!(std::ofstream(path, std::ios::binary) << bytes)) throw std::runtime_error("cannot write " + path);
}

inline std::string ReadBytes(const std::string& path) {  // "" for what is no file
  if (!std::filesystem::is_regular_file(path)) return {};
  return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}
