// A guard for tests of real files on Linux: whatever blocks (a FIFO opened for
// reading, a walk that never ends) ends the test binary with its name instead
// of the test runner's timeout.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

class HangGuard {
 public:
  explicit HangGuard(const std::string& what, unsigned seconds = 120) {
    std::snprintf(what_, sizeof what_, "hung: %s\n", what.c_str());
    signal(SIGALRM, [](int) { (void)!write(2, what_, std::strlen(what_)), _exit(3); });
    alarm(seconds);
  }
  ~HangGuard() { alarm(0); }

 private:
  static inline char what_[256];
};
