#include "cipher/stages.hpp"

#include <algorithm>
#include <cstddef>

namespace ortiva::cipher {

namespace {

int code_at(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Up to three codes from their low six bits and the carrier's high bits.
inline void unpack_group(const unsigned char* lows, int carrier, char* out, std::ptrdiff_t count) {
    // May be negative for foreign input: division truncates and AND sees two's complement,
    // as 16-bit Integer arithmetic does.
    const int a = carrier - 59;
    const int highs[3] = {(a / 16 & 3) * 64, (a / 4 & 3) * 64, (a & 3) * 64};
    for (std::ptrdiff_t t = 0; t < count; ++t) {
        const int code = (lows[t] - 59) | highs[t];
        // Outside 0-255 (only for input codes below 59) the position keeps its space.
        out[t] = static_cast<unsigned>(code) <= 255 ? static_cast<char>(code) : ' ';
    }
}

}  // namespace

void SeedFromKey(BasicRandom& rng, std::string_view key) {
    // The steps pass the Integer -1, which reaches the generator as the Single -1.
    rng.randomize(rng.next(-1.0f));
    for (const char ch : key) {
        const double r = rng.next();
        // Exact in double (24 by 8 bits), then rounded once to a Single; a code of 0 gives
        // -0, which repeats the last value instead of reseeding.
        const auto number = static_cast<float>(-(r * static_cast<unsigned char>(ch)));
        rng.randomize(rng.next(number));
    }
}

void ApplyKeyStream(BasicRandom& rng, std::string& text) {
    for (char& ch : text) {
        ch = static_cast<char>(static_cast<unsigned char>(ch) ^ rng.next_byte());
    }
}

std::string PackSixBit(std::string_view text) {
    const std::size_t n = text.size();
    std::string out(n + (n + 2) / 3, ' ');
    char* p = out.data();
    std::size_t i = 0;
    for (; i + 3 <= n; i += 3) {
        const int a = code_at(text, i), b = code_at(text, i + 1), c = code_at(text, i + 2);
        p[0] = static_cast<char>((a & 63) + 59);
        p[1] = static_cast<char>((b & 63) + 59);
        p[2] = static_cast<char>((c & 63) + 59);
        p[3] = static_cast<char>((a >> 6 << 4 | b >> 6 << 2 | c >> 6) + 59);
        p += 4;
    }
    if (i < n) {
        int carrier = 0;
        for (int shift = 4; i < n; ++i, shift -= 2) {
            const int c = code_at(text, i);
            *p++ = static_cast<char>((c & 63) + 59);
            carrier |= c >> 6 << shift;
        }
        *p = static_cast<char>(carrier + 59);
    }
    return out;
}

std::string UnpackSixBit(std::string_view text) {
    const auto n = static_cast<std::ptrdiff_t>(text.size());
    // Truncating division: n = 0 gives -1, i.e. an empty result.
    const std::ptrdiff_t m = std::max<std::ptrdiff_t>((n - 1) - (n - 1) / 4, 0);
    std::string out(static_cast<std::size_t>(m), ' ');
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    // Groups with three codes and their carrier right after them, then the rest, whose
    // carrier is the last input code, as clamping to n gives.
    const std::ptrdiff_t full = std::min(n / 4, m / 3);
    for (std::ptrdiff_t group = 0; group < full; ++group) {
        unpack_group(in + group * 4, in[group * 4 + 3], out.data() + group * 3, 3);
    }
    for (std::ptrdiff_t group = full; group * 3 < m; ++group) {
        const std::ptrdiff_t carrier = std::min(group * 4 + 4, n) - 1;
        unpack_group(in + group * 4, in[carrier], out.data() + group * 3,
                     std::min<std::ptrdiff_t>(3, m - group * 3));
    }
    return out;
}

}  // namespace ortiva::cipher
