// Sets an environment variable for the life of one test, then puts the old
// value back (or removes it).
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnv() { Set(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Set(const std::optional<std::string>& v) { v ? setenv(name_, v->c_str(), 1) : unsetenv(name_); }
  const char* name_;
  std::optional<std::string> old_;
};
