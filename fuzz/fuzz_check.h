// Invariant checks for the fuzz targets. A broken invariant aborts, so
// libFuzzer keeps the input that broke it as a crash artifact.
#ifndef KVOR_FUZZ_FUZZ_CHECK_H
#define KVOR_FUZZ_FUZZ_CHECK_H

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition)                                                    \
  do {                                                                           \
    if (!(condition)) {                                                          \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, \
                   __LINE__);                                                    \
      std::abort();                                                              \
    }                                                                            \
  } while (0)

#endif
