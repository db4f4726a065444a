#include "cipher/ansi_codes.hpp"

#include <array>
#include <cstring>

#include "ortiva/text.hpp"

namespace ortiva::cipher {

namespace {

struct Utf8Char {
    uint8_t size;
    char bytes[3];  // every Windows-1252 character lies in the BMP
};

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

bool is_ascii(unsigned char b) {
    return b < 0x80;
}

}  // namespace

std::string to_ansi_codes(std::string_view utf8, bool* lossless) {
    std::string out(utf8.size(), '\0');  // never more codes than bytes
    char* p = out.data();
    bool all_mapped = true;
    std::size_t i = 0;
    while (i < utf8.size()) {
        if (is_ascii(static_cast<unsigned char>(utf8[i]))) {
            *p++ = utf8[i++];
            continue;
        }
        // ASCII bytes never occur inside a UTF-8 sequence, and the decoder takes an invalid
        // byte on its own, so a run of non-ASCII bytes decodes exactly as in the whole text.
        std::size_t end = i;
        while (end < utf8.size() && !is_ascii(static_cast<unsigned char>(utf8[end])))
            ++end;
        for (const char32_t c : text::to_utf32(utf8.substr(i, end - i))) {
            if (c > 0xFFFF) {
                *p++ = '?';
                *p++ = '?';
                all_mapped = false;
                continue;
            }
            const uint8_t code = text::cp1252_code(c);
            if (code == '?') all_mapped = false;  // '?' itself is ASCII and never lands here
            *p++ = static_cast<char>(code);
        }
        i = end;
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    if (lossless) *lossless = all_mapped;
    return out;
}

void append_utf8(std::string& out, std::string_view codes, uint8_t shift) {
    const auto& table = utf8_of_codes();
    const std::size_t start = out.size();
    out.resize(start + codes.size() * 3);
    char* p = out.data() + start;
    for (const char ch : codes) {
        const auto code = static_cast<uint8_t>(static_cast<unsigned char>(ch) + shift);
        if (code < 0x80) {
            *p++ = static_cast<char>(code);
        } else {
            const Utf8Char& u = table[code];
            std::memcpy(p, u.bytes, 3);  // fixed size is cheaper; the extra bytes are overwritten
            p += u.size;
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
}

}  // namespace ortiva::cipher
