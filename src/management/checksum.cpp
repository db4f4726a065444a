#include "management/checksum.hpp"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <nmmintrin.h>
#endif

namespace ortiva::management {

namespace {

constexpr uint32_t polynomial = 0x82F63B78u;  // reflected Castagnoli

// Slice-by-8 tables for machines without the instruction.
using Tables = std::array<std::array<uint32_t, 256>, 8>;

Tables make_tables() {
    Tables t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ polynomial : c >> 1;
        t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i)
        for (std::size_t s = 1; s < 8; ++s)
            t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
    return t;
}

uint32_t crc_portable(uint32_t crc, const unsigned char* p, std::size_t n) {
    static const Tables t = make_tables();
    while (n >= 8) {
        uint32_t lo;
        uint32_t hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + 4, 4);
        lo ^= crc;
        crc = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n--)
        crc = (crc >> 8) ^ t[0][(crc ^ *p++) & 0xFF];
    return crc;
}

#if defined(__x86_64__)
__attribute__((target("sse4.2"))) uint32_t crc_hardware(uint32_t crc, const unsigned char* p,
                                                        std::size_t n) {
    uint64_t c = crc;
    while (n >= 8) {
        uint64_t v;
        std::memcpy(&v, p, 8);
        c = _mm_crc32_u64(c, v);
        p += 8;
        n -= 8;
    }
    uint32_t c32 = static_cast<uint32_t>(c);
    while (n--)
        c32 = _mm_crc32_u8(c32, *p++);
    return c32;
}

bool has_hardware_crc() {
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}
#endif

}  // namespace

uint32_t crc32c(uint32_t crc, const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    crc = ~crc;
#if defined(__x86_64__)
    if (has_hardware_crc()) return ~crc_hardware(crc, p, n);
#endif
    return ~crc_portable(crc, p, n);
}

uint32_t crc32c_portable(uint32_t crc, const void* data, std::size_t n) {
    return ~crc_portable(~crc, static_cast<const unsigned char*>(data), n);
}

}  // namespace ortiva::management
