// The one random sequence of the program and the engine (Rnd and
// GetRandomIndex). Our own generator, xoshiro256** seeded through splitmix64,
// so a seed gives the same numbers on every platform and compiler; the
// standard library's distributions are implementation-defined and not used.
// Not thread-safe: the program owns one instance on its main thread.
#pragma once

#include <cstdint>

namespace plat {

class Random {
public:
    // The same fixed seed every start, so a show runs the same until it is seeded.
    static constexpr std::uint64_t kDefaultSeed = 0x59F2'6A1D'0B3C'4E85ULL;

    explicit Random(std::uint64_t seed = kDefaultSeed) { this->seed(seed); }

    void seed(std::uint64_t seed);

    // Rnd: uniform in [0, 1) with 24 significant bits, the precision of a Single
    // result, so it converts to float exactly and never reaches 1.
    double next01();

    // GetRandomIndex: 0 .. n-1 from one draw of 53 bits, floor(u * n); for
    // n < 2 the result is 0 and nothing is drawn, so seeded runs stay aligned
    // whatever counts the callers pass.
    std::int32_t nextIndex(std::int32_t n);

    // The raw 64-bit output; every draw above takes exactly one.
    std::uint64_t nextBits();

private:
    std::uint64_t state_[4]{};
};

}  // namespace plat
