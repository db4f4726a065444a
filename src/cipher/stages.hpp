#pragma once

#include <string>
#include <string_view>

#include "cipher/basic_random.hpp"

namespace ortiva::cipher {

// The cipher's stages, on buffers of Windows-1252 codes (one char per code). Each keeps the
// name it has in the published algorithm so that the two read side by side.
//
// The steps are defined in 16-bit Integer arithmetic, which could overflow in principle; with
// every code 0-255 none of it can (code - 59, a \ 16 AND 3, low OR high, code + 13,
// |code - 13| all stay within -59..255), so plain int is exact and no stage can fail.

// Reseeds rng from the key: Rnd(-1) and Randomize, then per key character a Rnd, a Rnd of
// -(r * c) rounded to a Single, and a Randomize.
void SeedFromKey(BasicRandom& rng, std::string_view key);

// XORs every code with the next generator byte, in place.
void ApplyKeyStream(BasicRandom& rng, std::string& text);

// Every 3 codes become their low six bits + 59 followed by a carrier of their high two bits
// + 59; a short final group gets its own carrier. Output codes are 59-122.
std::string PackSixBit(std::string_view text);

// The inverse of PackSixBit, (n - 1) - (n - 1) / 4 codes long for any input. A position whose
// computed code falls outside 0-255 (possible only for input codes below 59) stays a space.
std::string UnpackSixBit(std::string_view text);

}  // namespace ortiva::cipher
