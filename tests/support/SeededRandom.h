// A seeded random sequence for the fuzzing tests, in-process and outside:
// splitmix64, small, fast and the same on every compiler, so a seed repeats
// a run exactly. Needs nothing but the standard library.
//
//   TRandom random(seed);
//   if (random.OneIn(4)) Post(random.Pick(messages));
#pragma once

#include <cstddef>
#include <cstdint>

class TRandom {
 public:
  explicit TRandom(uint64_t seed) : State(seed) {}
  uint64_t Next() {
    uint64_t z = (State += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n-1; n > 0.
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  bool OneIn(uint32_t n) { return Below(n) == 0; }
  template <typename T, size_t N>
  T Pick(const T (&values)[N]) {
    return values[Below(static_cast<uint32_t>(N))];
  }

 private:
  uint64_t State;
};
