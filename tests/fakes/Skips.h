// A test that cannot run here says so. Where TIMER_NO_SKIPS is set (`make test`, on a machine with everything
// installed) a skip is a failure instead: nothing passes there without having run.
#pragma once

#include <cstdlib>
#include <string_view>

inline bool SkipsFail() {
  const char* value = std::getenv("TIMER_NO_SKIPS");
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}
#ifdef GTEST_SKIP
#define TIMER_GTEST_SKIP(why)         \
  do {                                \
    if (SkipsFail()) FAIL() << (why); \
    GTEST_SKIP() << (why);            \
  } while (false)
#endif
#ifdef QSKIP
// A Qt test binary that skipped something and failed nothing ends with 77: a skip to CTest (SKIP_RETURN_CODE).
inline bool qtTestSkipped = false;
#define TIMER_QSKIP(why)         \
  do {                           \
    if (SkipsFail()) QFAIL(why); \
    qtTestSkipped = true;        \
    QSKIP(why);                  \
  } while (false)
// QTEST_MAIN with that end (`setup`: QTEST_MAIN_SETUP() or the like).
#define TIMER_QTEST_MAIN(TestObject, setup)             \
  int main(int argc, char* argv[]) {                    \
    setup TestObject test;                              \
    const int failed = QTest::qExec(&test, argc, argv); \
    return failed == 0 && qtTestSkipped ? 77 : failed;  \
  }
#endif
