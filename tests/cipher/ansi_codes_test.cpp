// Reading text as code-page codes. Writing codes back as UTF-8 is checked through the cipher:
// its round trip of every code and its known answers.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cipher/ansi_codes.hpp"
#include "ortiva/text.hpp"

namespace {

using ortiva::cipher::to_ansi_codes;

// What the cipher's conversion must equal: the foundation's decoding and code page, with one
// code per UTF-16 unit.
std::string reference_codes(const std::string& utf8) {
    std::string out;
    for (const char32_t c : ortiva::text::to_utf32(utf8)) {
        if (c > 0xFFFF) {
            out += "??";
        } else {
            out += static_cast<char>(ortiva::text::cp1252_code(c));
        }
    }
    return out;
}

TEST(AnsiCodes, MatchTheFoundationsDecodingOnEdgeCases) {
    const std::string cases[] = {
        "",
        "plain",
        "a run longer than eight bytes, é, then more ASCII 0123456789\xe2\x82",
        "é€ŒŸ\xc2\x81\xc2\x9d",
        "😀x",
        "\xc3",                  // truncated at the end
        "\xe2\x82x",             // truncated before ASCII
        "\xc0\xaf",              // overlong
        "\xed\xa0\x80",          // encoded surrogate
        "\xf4\x90\x80\x80",      // past U+10FFFF
        "\x80\xbf\xfe\xff",      // stray bytes
        "\xe2\x82\xe2\x82\xac",  // a broken sequence before a good one
    };
    for (const std::string& s : cases) {
        bool lossless = false;
        EXPECT_EQ(to_ansi_codes(s, &lossless), reference_codes(s)) << "input " << s;
        EXPECT_EQ(lossless, ortiva::text::from_cp1252(reference_codes(s)) == s) << "input " << s;
    }
}

TEST(AnsiCodes, MatchTheFoundationsDecodingOnRandomBytes) {
    std::mt19937 gen(12345);
    // Bytes drawn mostly from lead and continuation ranges, where decoders go wrong.
    const std::string alphabet = "aaaaaa?\x80\x81\xa9\xbf\xc2\xc3\xdf\xe2\xed\xef\xf0\xf4\xf5";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1), length(0, 24);
    for (int round = 0; round < 20000; ++round) {
        std::string s(length(gen), '\0');
        for (char& ch : s)
            ch = alphabet[pick(gen)];
        ASSERT_EQ(to_ansi_codes(s), reference_codes(s)) << "round " << round;
    }
}

}  // namespace
