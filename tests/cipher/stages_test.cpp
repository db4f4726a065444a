#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cipher/basic_random.hpp"
#include "cipher/stages.hpp"

namespace {

using ortiva::cipher::BasicRandom;
using ortiva::cipher::PackSixBit;
using ortiva::cipher::UnpackSixBit;

TEST(BasicRandom, MinusOneSeedsAndZeroRepeatsWithoutStepping) {
    BasicRandom rng;
    rng.next();  // the state before a negative argument must not matter
    const float first = rng.next(-1.0f);
    EXPECT_FLOAT_EQ(first, 3758214.0f / 16777216.0f);
    EXPECT_EQ(rng.next(0.0f), first);
    EXPECT_EQ(rng.next(-0.0f), first);
    EXPECT_EQ(rng.seed(), 3758214u);
}

TEST(BasicRandom, NextByteIsTheFloorOfTheValueTimes256) {
    BasicRandom by_value, by_byte;
    by_value.next(-7.5f);
    by_byte.next(-7.5f);
    for (int i = 0; i < 10000; ++i) {
        const auto expected = static_cast<int>(std::floor(by_value.next() * 256.0));
        ASSERT_EQ(by_byte.next_byte(), expected) << "draw " << i;
    }
}

TEST(BasicRandom, RandomizeMixesTheDoublesHighBitsIntoTheMiddleOfTheSeed) {
    BasicRandom rng;
    rng.next(-1.0f);  // seed 0x395886
    // 1.0 has high bits 0x3FF00000: (0x0000 ^ 0x3FF0) << 8 = 0x3FF000.
    rng.randomize(1.0);
    EXPECT_EQ(rng.seed(), (3758214u & 0xFF0000FFu) | 0x3FF000u);
    // -2.0 has high bits 0xC0000000: the arithmetic shift carries the sign into bits 24-31.
    rng.randomize(-2.0);
    EXPECT_EQ(rng.seed(), (3758214u & 0xFF0000FFu) | 0xFFC00000u);
}

// The packed form itself is fixed by the known answers, which spread every bit of a code
// over the three positions of a group.
TEST(CipherStages, UnpackSixBitInvertsPackSixBitForEveryCodeAndLength) {
    std::string all;
    for (int code = 0; code < 256; ++code)
        all += static_cast<char>(code);
    for (std::size_t n = 0; n <= all.size(); ++n) {
        const std::string text = all.substr(256 - n);
        const std::string packed = PackSixBit(text);
        ASSERT_EQ(packed.size(), n + (n + 2) / 3);
        for (const char ch : packed) {
            ASSERT_GE(static_cast<unsigned char>(ch), 59);
            ASSERT_LE(static_cast<unsigned char>(ch), 122);
        }
        ASSERT_EQ(UnpackSixBit(packed), text) << "length " << n;
    }
}

TEST(CipherStages, UnpackSixBitOfForeignCodes) {
    struct Case {
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"", ""},
        {"A", ""},
        {"((", " "},
        {"\\]O", "ab"},    // a short group's carrier is found by clamping to the last code
        {"\\](O", "ab "},  // code 40 gives low -19: outside 0-255, the position stays a space
        // carrier '!' (33): a = -26, (a \ 16) AND 3 = 3, (a \ 4) AND 3 = 2, a AND 3 = 2
        {"<<<!", "\xC1\x81\x81"},
        {"\\]^PX", "abc"},  // a fifth code on its own is never read
    };
    for (const Case& c : cases) {
        EXPECT_EQ(UnpackSixBit(c.input), c.expected) << "input \"" << c.input << "\"";
    }
}

}  // namespace
