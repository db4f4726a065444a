#include <gtest/gtest.h>

#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva {
namespace {

TEST(Text, TrimRemovesSpacesOnly) {
    EXPECT_EQ(text::trim("  ab c  "), "ab c");
    EXPECT_EQ(text::trim("\tab\n"), "\tab\n");
    EXPECT_EQ(text::trim("   "), "");
    EXPECT_EQ(text::trim(""), "");
}

TEST(Text, UpperUsesSimpleUnicodeMapping) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"abc xyz 123", "ABC XYZ 123"},
        {"straße", "STRAßE"},  // ß has no single upper-case letter
        {"é à ÿ µ", "É À Ÿ Μ"},
        {"ćłőž", "ĆŁŐŽ"},        // Latin Extended-A
        {"ǆ ǌ ș ƀ", "Ǆ Ǌ Ș Ƀ"},  // Latin Extended-B
        {"ıſ", "IS"},
        {"αβγ ως ά", "ΑΒΓ ΩΣ Ά"},
        {"ἀὰ ɐ", "ἈᾺ Ɐ"},
        {"жёлтый ђ ѣ ӂ", "ЖЁЛТЫЙ Ђ Ѣ Ӂ"},
        {"ÀÉ ЖΩ", "ÀÉ ЖΩ"},
        {"日本 😀", "日本 😀"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(text::upper(c.in), c.out) << c.in;
}

TEST(Text, CompareIsOrdinalByCodePoint) {
    EXPECT_EQ(text::compare("abc", "abc"), 0);
    EXPECT_LT(text::compare("ABC", "abc"), 0);  // case counts
    EXPECT_LT(text::compare("ab", "abc"), 0);
    EXPECT_GT(text::compare("é", "z"), 0);
    // By code point, a character past U+FFFF sorts after U+FFFD (UTF-16 order would not).
    EXPECT_GT(text::compare("😀", "\uFFFD"), 0);
}

TEST(Text, Utf16CountsAndSlices) {
    EXPECT_EQ(text::utf16_length(""), 0);
    EXPECT_EQ(text::utf16_length("aé€"), 3);
    EXPECT_EQ(text::utf16_length("a😀"), 3);  // a surrogate pair is two units
    EXPECT_EQ(text::left("héllo", 2), "hé");
    EXPECT_EQ(text::left("abc", 10), "abc");
    EXPECT_EQ(text::right("héllo", 3), "llo");
    EXPECT_EQ(text::right("abc", 10), "abc");
    EXPECT_EQ(text::mid("héllo", 2, 2), "él");
    EXPECT_EQ(text::mid("héllo", 3), "llo");
    EXPECT_EQ(text::mid("abc", 9), "");
    EXPECT_EQ(text::find("a😀bc", "bc"), 4);
    EXPECT_EQ(text::find("abc", "x"), 0);
    EXPECT_EQ(text::find("abc", ""), 1);
    EXPECT_THROW(text::left("abc", -1), ErrorInfo);
    EXPECT_THROW(text::mid("abc", 0), ErrorInfo);
}

TEST(Text, Utf16AndUtf32RoundTrip) {
    const std::string s = "aé€😀";
    EXPECT_EQ(text::from_utf16(text::to_utf16(s)), s);
    EXPECT_EQ(text::from_utf32(text::to_utf32(s)), s);
    EXPECT_EQ(text::to_utf16("😀"), (std::u16string{0xD83D, 0xDE00}));
    EXPECT_EQ(text::from_utf16(std::u16string{u'a', 0xD83D}), "a\uFFFD");
    // Malformed UTF-8: a stray continuation byte, an overlong form and a truncated sequence.
    EXPECT_EQ(text::to_utf32("\x80"), std::u32string{0xFFFD});
    EXPECT_EQ(text::to_utf32("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));
    EXPECT_EQ(text::to_utf32("a\xE2\x82"), (std::u32string{U'a', 0xFFFD, 0xFFFD}));
}

TEST(Text, Cp1252RoundTripsEveryCode) {
    for (int code = 0; code < 256; ++code) {
        const auto b = static_cast<uint8_t>(code);
        const char32_t c = text::cp1252_char(b);
        EXPECT_EQ(text::cp1252_code(c), b) << code;
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(text::to_cp1252(text::from_cp1252(byte)), byte) << code;
    }
    EXPECT_EQ(text::cp1252_char(0x80), U'€');
    EXPECT_EQ(text::cp1252_char(0x9F), U'Ÿ');
    for (uint8_t undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(text::cp1252_char(undefined), static_cast<char32_t>(undefined));
    }
    EXPECT_EQ(text::cp1252_code(U'日'), '?');
    EXPECT_EQ(text::cp1252_code(0x0080), '?');  // a C1 control the code page replaced with €
    EXPECT_EQ(text::to_cp1252("a€日"), "a\x80?");
    EXPECT_EQ(text::from_cp1252("\x80\xE9"), "€é");
}

}  // namespace
}  // namespace ortiva
