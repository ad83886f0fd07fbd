#include "simulator/Random.h"

namespace ocusim {

std::uint64_t Random::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Random::uniform() {
    return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0);
}

double Random::normal() {
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        sum += uniform();
    }
    // Four uniforms have variance 4/12; scale to 1.
    return (sum - 2.0) * 1.7320508075688772;
}

std::uint64_t hashText(const std::string& text) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

std::uint64_t mixSeed(std::uint64_t a, std::uint64_t b) {
    Random random(a ^ (b * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull));
    return random.next();
}

}  // namespace ocusim
