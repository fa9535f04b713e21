// The game's one pseudo-random generator. It behaves like the C library's
// rand(): non-negative integers up to kRandMax, used modulo a range. It is
// seeded with a fixed value at start-up so that the same input script gives
// the same game; tests reseed it to make their draws reproducible.
#pragma once

#include <cstdint>

namespace Math {

constexpr int kRandMax = 0x7fffffff;

// Next value in [0, kRandMax].
int Rand();
// Restarts the sequence.
void SeedRand(uint64_t seed);

}  // namespace Math
