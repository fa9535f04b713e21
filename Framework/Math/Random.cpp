#include "Framework/Math/Random.h"

namespace Math {
namespace {
// 64-bit linear congruential generator (Knuth's MMIX constants); the high
// bits are returned because the low bits of an LCG are weak.
uint64_t g_state = 0x853c49e6748fea9bULL;
}  // namespace

int Rand() {
    g_state = g_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((g_state >> 33) & 0x7fffffffULL);
}

void SeedRand(uint64_t seed) { g_state = seed ^ 0x853c49e6748fea9bULL; }

}  // namespace Math
