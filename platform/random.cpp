#include "platform/random.h"

namespace plat {
namespace {

std::uint64_t splitmix64(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

void Random::seed(std::uint64_t seed) {
    // splitmix64 never yields four zero words, the one state xoshiro cannot leave.
    for (auto& word : state_) word = splitmix64(seed);
}

std::uint64_t Random::nextBits() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
}

double Random::next01() { return static_cast<double>(nextBits() >> 40) * (1.0 / 16777216.0); }

std::int32_t Random::nextIndex(std::int32_t n) {
    if (n < 2) return 0;
    const double u = static_cast<double>(nextBits() >> 11) * (1.0 / 9007199254740992.0);
    const auto index = static_cast<std::int32_t>(u * n);
    return index < n ? index : n - 1;
}

}  // namespace plat
