// A test that cannot run here says so. Where TIMER_NO_SKIPS is set (`make
// test`, whose machine has everything installed) a skip is a failure instead,
// so nothing passes there without having run.
#pragma once

#include <cstdlib>
#include <string_view>

inline bool SkipsFail() {
  const char* value = std::getenv("TIMER_NO_SKIPS");
  return value != nullptr && *value != '\0' && std::string_view(value) != "0";
}

#ifdef GTEST_SKIP
#define TIMER_GTEST_SKIP(why) \
  do {                        \
    if (SkipsFail()) {        \
      FAIL() << (why);        \
    } else {                  \
      GTEST_SKIP() << (why);  \
    }                         \
  } while (false)
#endif

#ifdef QSKIP
// A Qt test binary that skipped something and failed nothing ends with 77,
// which CTest reports as a skip (SKIP_RETURN_CODE).
inline bool& QtTestSkipped() {
  static bool skipped = false;
  return skipped;
}
#define TIMER_QSKIP(why)         \
  do {                           \
    if (SkipsFail()) QFAIL(why); \
    QtTestSkipped() = true;      \
    QSKIP(why);                  \
  } while (false)
// QTEST_MAIN's own body (`setup`: QTEST_MAIN_SETUP() or the like) with that end.
#define TIMER_QTEST_MAIN(TestObject, setup)                                  \
  int main(int argc, char* argv[]) {                                         \
    QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();       \
    setup TestObject test;                                                   \
    QTEST_SET_MAIN_SOURCE_PATH                                               \
    const int failed = QTest::qExec(&test, argc, argv);                      \
    return failed == 0 && QtTestSkipped() ? 77 : failed;                     \
  }
#endif
