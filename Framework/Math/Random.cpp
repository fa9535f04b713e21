#include "Framework/Math/Random.h"

namespace Math {
namespace {
// Mixed into the seed so that seed 0 does not start the generator at 0.
constexpr uint64_t kSeedMix = 0x853c49e6748fea9bULL;
}  // namespace

int Random::Next() {
    // 64-bit linear congruential generator (Knuth's MMIX constants); the
    // high bits are returned because the low bits of an LCG are weak.
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((state_ >> 33) & 0x7fffffffULL);
}

void Random::Seed(uint64_t seed) { state_ = seed ^ kSeedMix; }

}  // namespace Math
