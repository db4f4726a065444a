#include "cipher/ansi_codes.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>

#include "ortiva/text.hpp"

namespace ortiva::cipher {

namespace {

// Four bytes so that one fixed-size copy moves a character; the size byte that rides along
// is overwritten by the next character or cut off at the end.
struct Utf8Char {
    char bytes[3];  // every Windows-1252 character lies in the BMP
    uint8_t size;
};
static_assert(sizeof(Utf8Char) == 4);

// Built once from the code page of ortiva::text; thread-safe as a function-local static.
const std::array<Utf8Char, 256>& utf8_of_codes() {
    static const std::array<Utf8Char, 256> table = [] {
        std::array<Utf8Char, 256> t{};
        for (int code = 0; code < 256; ++code) {
            const char32_t c = text::cp1252_char(static_cast<uint8_t>(code));
            const std::string s = text::from_utf32(std::u32string_view(&c, 1));
            t[code].size = static_cast<uint8_t>(s.size());
            std::memcpy(t[code].bytes, s.data(), s.size());
        }
        return t;
    }();
    return table;
}

// The code of every BMP character, taken once from ortiva::text so that the two can never
// disagree; a lookup keeps the per-character cost flat on long texts.
const std::array<uint8_t, 0x10000>& codes_of_bmp() {
    static const auto table = [] {
        auto t = std::make_unique<std::array<uint8_t, 0x10000>>();
        for (char32_t c = 0; c < 0x10000; ++c)
            (*t)[c] = text::cp1252_code(c);
        return t;
    }();
    return *table;
}

constexpr uint64_t high_bits = 0x8080808080808080u;

unsigned char byte_at(std::string_view s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

bool continuation(std::string_view s, std::size_t i) {
    return i < s.size() && (byte_at(s, i) & 0xC0) == 0x80;
}

// One code point at s[i] (not ASCII), advancing i. Malformed sequences (overlong forms,
// surrogates, values past U+10FFFF, truncations) give U+FFFD and consume one byte, exactly as
// text::to_utf32 decodes, without building a whole u32string per call.
char32_t decode_non_ascii(std::string_view s, std::size_t& i) {
    constexpr char32_t bad = 0xFFFD;
    const unsigned char b0 = byte_at(s, i);
    std::size_t extra = 0;
    char32_t cp = 0, min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++i;
        return bad;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (!continuation(s, i + k)) {
            ++i;
            return bad;
        }
        cp = cp << 6 | (byte_at(s, i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return bad;
    }
    i += extra + 1;
    return cp;
}

}  // namespace

std::string to_ansi_codes(std::string_view utf8, bool* lossless) {
    const auto& codes = codes_of_bmp();
    const std::size_t n = utf8.size();
    std::string out(n, '\0');  // never more codes than bytes, so p never passes i
    char* p = out.data();
    bool unmapped = false;
    for (std::size_t i = 0; i < n;) {
        if (i + 8 <= n) {
            // Copy eight bytes and keep those before the first non-ASCII one: one branch per
            // run of ASCII rather than per character.
            uint64_t block;
            std::memcpy(&block, utf8.data() + i, 8);
            std::memcpy(p, &block, 8);
            const uint64_t high = block & high_bits;
            if (high == 0) {
                p += 8;
                i += 8;
                continue;
            }
            const int ascii =
                (std::endian::native == std::endian::little ? std::countr_zero(high)
                                                            : std::countl_zero(high)) /
                8;
            p += ascii;
            i += static_cast<std::size_t>(ascii);
        } else if (byte_at(utf8, i) < 0x80) {
            *p++ = utf8[i++];
            continue;
        }
        const char32_t c = decode_non_ascii(utf8, i);
        if (c > 0xFFFF) {
            // Two UTF-16 units, neither of which the code page holds.
            *p++ = '?';
            *p++ = '?';
            unmapped = true;
            continue;
        }
        const uint8_t code = codes[c];
        unmapped |= code == '?';  // a typed '?' is ASCII and never lands here
        *p++ = static_cast<char>(code);
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    if (lossless) *lossless = !unmapped;
    return out;
}

void append_utf8(std::string& out, std::string_view codes, uint8_t shift) {
    const auto& table = utf8_of_codes();
    const std::size_t start = out.size();
    out.resize(start + codes.size() * 3 + 1);  // + 1: the last copy moves four bytes
    char* p = out.data() + start;
    const char* in = codes.data();
    const char* const end = in + codes.size();
    // Eight codes at a time where they and their shifted values are all ASCII: no byte can
    // carry into the next when both are below 0x80.
    const uint64_t shifts = uint64_t{shift} * 0x0101010101010101u;
    while (in != end) {
        if (end - in >= 8 && shift < 0x80) {
            uint64_t block;
            std::memcpy(&block, in, 8);
            const uint64_t moved = block + shifts;
            if (((block | moved) & high_bits) == 0) {
                std::memcpy(p, &moved, 8);
                p += 8;
                in += 8;
                continue;
            }
        }
        // Branch-free: ASCII and other characters mix unpredictably in enciphered texts.
        for (const char* stop = in + std::min<std::ptrdiff_t>(8, end - in); in != stop; ++in) {
            const Utf8Char& u =
                table[static_cast<uint8_t>(static_cast<unsigned char>(*in) + shift)];
            std::memcpy(p, &u, 4);
            p += u.size;
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
}

}  // namespace ortiva::cipher
