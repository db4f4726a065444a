#include "cipher/basic_random.hpp"

namespace ortiva::cipher {

float BasicRandom::next(float number) {
    if (number == 0.0f) return value();
    if (number < 0.0f) {
        const uint32_t u = std::bit_cast<uint32_t>(number);
        seed_ = (u + (u >> 24)) & 0xFFFFFFu;
    }
    step();
    return value();
}

void BasicRandom::randomize(double number) {
    const auto high = static_cast<int32_t>(std::bit_cast<uint64_t>(number) >> 32);
    // Unsigned from here on: the same bits as the run time's 32-bit shift, without relying on
    // shifting a negative value.
    const uint32_t mixed =
        (static_cast<uint32_t>(high & 0xFFFF) ^ static_cast<uint32_t>(high >> 16)) << 8;
    seed_ = (seed_ & 0xFF0000FFu) | mixed;
}

}  // namespace ortiva::cipher
