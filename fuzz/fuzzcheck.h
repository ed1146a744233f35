// The one way a fuzz target reports a broken invariant: a message on stderr and an abort, which libFuzzer
// records as a crash together with the input that caused it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, message)                                                                     \
  do {                                                                                                     \
    if (!(condition)) {                                                                                    \
      std::fprintf(stderr, "%s:%d: invariant broken: %s (%s)\n", __FILE__, __LINE__, #condition, message); \
      std::abort();                                                                                        \
    }                                                                                                      \
  } while (false)
