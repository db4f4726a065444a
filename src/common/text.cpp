#include "ortiva/text.hpp"

#include <algorithm>
#include <array>

#include "ortiva/error_info.hpp"

namespace ortiva::text {

namespace {

constexpr char32_t replacement = 0xFFFD;

// Decodes one code point at s[i], advancing i; malformed sequences (overlong forms,
// surrogates, values past U+10FFFF, truncations) give U+FFFD and consume one byte.
char32_t decode_one(std::string_view s, std::size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return replacement;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) {
        ++i;
        return replacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return replacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return replacement;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

void encode_one(char32_t cp, std::string& out) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = replacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Blocks where upper and lower case alternate: the upper-case letter sits on the even
// (or odd) code point and its lower-case partner directly after it.
struct PairRange {
    char32_t first, last;  // inclusive, first is an upper-case letter
};
constexpr PairRange pair_ranges[] = {
    {0x0100, 0x012F}, {0x0132, 0x0137}, {0x0139, 0x0148}, {0x014A, 0x0177}, {0x0179, 0x017E},
    {0x01CD, 0x01DC}, {0x01DE, 0x01EF}, {0x01F8, 0x021F}, {0x0222, 0x0233}, {0x0246, 0x024F},
    {0x03D8, 0x03EF}, {0x0460, 0x0481}, {0x048A, 0x04BF}, {0x04C1, 0x04CE}, {0x04D0, 0x052F},
    {0x1E00, 0x1E95}, {0x1EA0, 0x1EFF}, {0x0370, 0x0373}, {0x0376, 0x0377}, {0x2C80, 0x2CE3},
    {0xA640, 0xA66D}, {0xA680, 0xA69B},
};

// Lower-case letters whose upper case lies elsewhere.
struct OneToOne {
    char32_t lower, upper;
};
constexpr OneToOne singles[] = {
    {0x00B5, 0x039C}, {0x00FF, 0x0178}, {0x0131, 0x0049}, {0x017F, 0x0053}, {0x0180, 0x0243},
    {0x0183, 0x0182}, {0x0185, 0x0184}, {0x0188, 0x0187}, {0x018C, 0x018B}, {0x0192, 0x0191},
    {0x0195, 0x01F6}, {0x0199, 0x0198}, {0x019A, 0x023D}, {0x019E, 0x0220}, {0x01A1, 0x01A0},
    {0x01A3, 0x01A2}, {0x01A5, 0x01A4}, {0x01A8, 0x01A7}, {0x01AD, 0x01AC}, {0x01B0, 0x01AF},
    {0x01B4, 0x01B3}, {0x01B6, 0x01B5}, {0x01B9, 0x01B8}, {0x01BD, 0x01BC}, {0x01BF, 0x01F7},
    {0x01C5, 0x01C4}, {0x01C6, 0x01C4}, {0x01C8, 0x01C7}, {0x01C9, 0x01C7}, {0x01CB, 0x01CA},
    {0x01CC, 0x01CA}, {0x01DD, 0x018E}, {0x01F2, 0x01F1}, {0x01F3, 0x01F1}, {0x01F5, 0x01F4},
    {0x023C, 0x023B}, {0x023F, 0x2C7E}, {0x0240, 0x2C7F}, {0x0242, 0x0241}, {0x0253, 0x0181},
    {0x0254, 0x0186}, {0x0256, 0x0189}, {0x0257, 0x018A}, {0x0259, 0x018F}, {0x025B, 0x0190},
    {0x0260, 0x0193}, {0x0263, 0x0194}, {0x0268, 0x0197}, {0x0269, 0x0196}, {0x026F, 0x019C},
    {0x0272, 0x019D}, {0x0275, 0x019F}, {0x0280, 0x01A6}, {0x0283, 0x01A9}, {0x0288, 0x01AE},
    {0x0289, 0x0244}, {0x028A, 0x01B1}, {0x028B, 0x01B2}, {0x028C, 0x0245}, {0x0292, 0x01B7},
    {0x03AC, 0x0386}, {0x03C2, 0x03A3}, {0x03CC, 0x038C}, {0x03D0, 0x0392}, {0x03D1, 0x0398},
    {0x03D5, 0x03A6}, {0x03D6, 0x03A0}, {0x03D7, 0x03CF}, {0x03F2, 0x03F9}, {0x1E9B, 0x1E60},
    {0x03F0, 0x039A}, {0x03F1, 0x03A1}, {0x03F5, 0x0395}, {0x03F8, 0x03F7}, {0x03FB, 0x03FA},
    {0x03F3, 0x037F}, {0x04CF, 0x04C0}, {0x0250, 0x2C6F}, {0x0251, 0x2C6D}, {0x0252, 0x2C70},
    {0x025C, 0xA7AB}, {0x0261, 0xA7AC}, {0x0265, 0xA78D}, {0x0266, 0xA7AA}, {0x026A, 0xA7AE},
    {0x026B, 0x2C62}, {0x026C, 0xA7AD}, {0x0271, 0x2C6E}, {0x027D, 0x2C64}, {0x0282, 0xA7C5},
    {0x0287, 0xA7B1}, {0x029D, 0xA7B2}, {0x029E, 0xA7B0}, {0x1F51, 0x1F59}, {0x1F53, 0x1F5B},
    {0x1F55, 0x1F5D}, {0x1F57, 0x1F5F}, {0x1FE5, 0x1FEC},
};

// Runs of lower-case letters a fixed distance above their upper case.
struct Shift {
    char32_t first, last;
    char32_t delta;
};
constexpr Shift shifts[] = {
    {0x0061, 0x007A, 32},     {0x00E0, 0x00F6, 32},     {0x00F8, 0x00FE, 32},
    {0x03AD, 0x03AF, 37},     {0x03B1, 0x03C1, 32},     {0x03C3, 0x03CB, 32},
    {0x03CD, 0x03CE, 63},     {0x037B, 0x037D, -0x82u}, {0x0430, 0x044F, 32},
    {0x0450, 0x045F, 80},     {0x0561, 0x0586, 48},     {0x2170, 0x217F, 16},
    {0x24D0, 0x24E9, 26},     {0xFF41, 0xFF5A, 32},     {0x1F00, 0x1F07, -8u},
    {0x1F10, 0x1F15, -8u},    {0x1F20, 0x1F27, -8u},    {0x1F30, 0x1F37, -8u},
    {0x1F40, 0x1F45, -8u},    {0x1F60, 0x1F67, -8u},    {0x1FB0, 0x1FB1, -8u},
    {0x1FD0, 0x1FD1, -8u},    {0x1FE0, 0x1FE1, -8u},    {0x1F70, 0x1F71, -0x4Au},
    {0x1F72, 0x1F75, -0x56u}, {0x1F76, 0x1F77, -0x64u}, {0x1F78, 0x1F79, -0x80u},
    {0x1F7A, 0x1F7B, -0x70u}, {0x1F7C, 0x1F7D, -0x7Eu},
};

char32_t upper_one(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    for (const auto& s : shifts) {
        if (c >= s.first && c <= s.last) return c - s.delta;
    }
    for (const auto& s : singles) {
        if (c == s.lower) return s.upper;
    }
    for (const auto& r : pair_ranges) {
        if (c > r.first && c <= r.last && (c - r.first) % 2 == 1) return c - 1;
    }
    return c;
}

constexpr std::array<char32_t, 32> cp1252_high{{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
}};

}  // namespace

std::u32string to_utf32(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        out += decode_one(s, i);
    return out;
}

std::string from_utf32(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s)
        encode_one(c, out);
    return out;
}

std::u16string to_utf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = decode_one(s, i);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string from_utf16(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
            s[i + 1] <= 0xDFFF) {
            encode_one(0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00), out);
            ++i;
        } else {
            encode_one(c, out);  // a lone surrogate becomes U+FFFD there
        }
    }
    return out;
}

std::string trim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::string upper(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        encode_one(upper_one(decode_one(s, i)), out);
    return out;
}

int compare(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const char32_t x = decode_one(a, i);
        const char32_t y = decode_one(b, j);
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

int32_t utf16_length(std::string_view s) {
    int32_t n = 0;
    for (std::size_t i = 0; i < s.size();)
        n += decode_one(s, i) >= 0x10000 ? 2 : 1;
    return n;
}

std::string left(std::string_view s, int32_t n) {
    if (n < 0) raise(err::invalid_call);
    const auto u = to_utf16(s);
    return from_utf16(std::u16string_view(u).substr(0, static_cast<std::size_t>(n)));
}

std::string right(std::string_view s, int32_t n) {
    if (n < 0) raise(err::invalid_call);
    const auto u = to_utf16(s);
    const auto count = std::min(u.size(), static_cast<std::size_t>(n));
    return from_utf16(std::u16string_view(u).substr(u.size() - count));
}

std::string mid(std::string_view s, int32_t start, int32_t n) {
    if (start < 1 || n < -1) raise(err::invalid_call);
    const auto u = to_utf16(s);
    const auto from = static_cast<std::size_t>(start - 1);
    if (from >= u.size()) return {};
    const auto count = n < 0 ? std::u16string_view::npos : static_cast<std::size_t>(n);
    return from_utf16(std::u16string_view(u).substr(from, count));
}

int32_t find(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return 1;
    const auto h = to_utf16(haystack);
    const auto pos = h.find(to_utf16(needle));
    return pos == std::u16string::npos ? 0 : static_cast<int32_t>(pos) + 1;
}

uint8_t cp1252_code(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<uint8_t>(c);
    for (std::size_t k = 0; k < cp1252_high.size(); ++k) {
        if (cp1252_high[k] == c) return static_cast<uint8_t>(0x80 + k);
    }
    return '?';
}

char32_t cp1252_char(uint8_t code) {
    if (code >= 0x80 && code < 0xA0) return cp1252_high[code - 0x80];
    return code;
}

std::string to_cp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        out += static_cast<char>(cp1252_code(decode_one(utf8, i)));
    }
    return out;
}

std::string from_cp1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char b : bytes)
        encode_one(cp1252_char(static_cast<uint8_t>(b)), out);
    return out;
}

}  // namespace ortiva::text
