// Pseudo-random numbers with the behaviour of the C library's rand():
// non-negative integers up to kRandMax, used modulo a range. A stream is a
// plain value and whoever owns one decides who draws from it: the game
// world's stream serves the game's rules and its effects, the game scene's
// own serves the ending's shake, so that drawing for a look never shifts the
// numbers the game is played with. The same seed gives the same numbers.
#pragma once

#include <cstdint>

namespace Math {

constexpr int kRandMax = 0x7fffffff;

class Random {
public:
    explicit Random(uint64_t seed = 0) { Seed(seed); }

    // Next value in [0, kRandMax].
    int Next();
    // Restarts the sequence.
    void Seed(uint64_t seed);

private:
    uint64_t state_ = 0;
};

}  // namespace Math
