#pragma once

#include <bit>
#include <cstdint>

namespace ortiva::cipher {

// The classic BASIC run time's pseudo-random generator, reproduced bit for bit: enciphered
// texts already stored stay readable only if the keystream matches that sequence exactly.
class BasicRandom {
  public:
    // Rnd with no argument (or a positive one): the next value, 0 <= value < 1.
    float next() {
        step();
        return value();
    }

    // Rnd(number): a negative number reseeds from its bits alone, zero (or -0) repeats the
    // last value without stepping, a positive one steps.
    float next(float number);

    // floor(next() * 256): the value is seed / 2^24 held exactly in a Single, so the floor
    // is the seed's top byte and no floating point is needed on the hot path.
    uint8_t next_byte() {
        step();
        return static_cast<uint8_t>(seed_ >> 16);
    }

    // Randomize(number): mixes the high 32 bits of the Double into bits 8-23 of the seed.
    void randomize(double number);

    uint32_t seed() const { return seed_; }

  private:
    void step() {
        seed_ = static_cast<uint32_t>((uint64_t{seed_} * 0x43FD43FDu + 0xC39EC3u) & 0xFFFFFFu);
    }

    // Randomize may leave bits above 23; the run time reads the seed as a signed 32-bit value.
    float value() const { return static_cast<float>(static_cast<int32_t>(seed_)) / 16777216.0f; }

    uint32_t seed_ = 0x50000;  // the run time's seed at start-up
};

}  // namespace ortiva::cipher
