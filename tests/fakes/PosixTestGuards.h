// Guards for tests of real files on Linux: acting as an ordinary user, and
// ending the test binary with a message when something blocks.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

// The superuser reads and writes through any permission bits; to see files
// as their user does, the test acts as "nobody" (65534) meanwhile.
struct AsNobody {
  const bool active = geteuid() == 0 && seteuid(65534) == 0;
  ~AsNobody() {
    if (active) (void)!seteuid(0);
  }
};

// Whatever blocks (a FIFO opened for reading, a walk that never ends) ends
// the test binary with its name instead of the test runner's timeout.
class HangGuard {
 public:
  explicit HangGuard(const std::string& what, unsigned seconds = 120) {
    std::snprintf(what_, sizeof what_, "hung: %s\n", what.c_str());
    signal(SIGALRM, [](int) {
      (void)!write(2, what_, std::strlen(what_));
      _exit(3);
    });
    alarm(seconds);
  }
  ~HangGuard() { alarm(0); }

 private:
  static inline char what_[256];
};
