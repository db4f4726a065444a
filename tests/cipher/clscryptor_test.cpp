#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ortiva/clscryptor.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace {

using ortiva::clscryptor;

std::string char_of(int code) {
    const char32_t c = ortiva::text::cp1252_char(static_cast<uint8_t>(code));
    return ortiva::text::from_utf32(std::u32string_view(&c, 1));
}

std::string every_code() {
    std::string s;
    for (int code = 0; code < 256; ++code)
        s += char_of(code);
    return s;
}

const std::string keys[] = {"", "k", "a longer key, with punctuation!", "clé€", "\xff"};

void expect_enciphered_form(const std::string& cipher, std::size_t text_length) {
    const std::string codes = ortiva::text::to_cp1252(cipher);
    ASSERT_EQ(codes.size(), text_length + (text_length + 2) / 3);
    ASSERT_EQ(ortiva::text::utf16_length(cipher), static_cast<int32_t>(codes.size()));
    for (const char ch : codes) {
        ASSERT_GE(static_cast<unsigned char>(ch), 72);
        ASSERT_LE(static_cast<unsigned char>(ch), 135);
    }
}

TEST(Clscryptor, EveryWindows1252CharacterRoundTrips) {
    clscryptor cryptor;
    const std::string all = every_code();
    for (const std::string& key : keys) {
        SCOPED_TRACE("key \"" + key + "\"");
        for (int code = 0; code < 256; ++code) {
            const std::string one = char_of(code);
            const std::string cipher = cryptor.EnCrypt(one, key);
            expect_enciphered_form(cipher, 1);
            ASSERT_EQ(cryptor.DeCrypt(cipher, key), one) << "code " << code;
        }
        const std::string cipher = cryptor.EnCrypt(all, key);
        expect_enciphered_form(cipher, 256);
        EXPECT_EQ(cryptor.DeCrypt(cipher, key), all);
    }
}

TEST(Clscryptor, AnotherKeyGivesTheSameLengthButOtherCharacters) {
    clscryptor cryptor;
    const std::string text = "The quick brown fox jumps over the lazy dog";
    const std::string cipher = cryptor.EnCrypt(text, "right");
    EXPECT_NE(cryptor.EnCrypt(text, "wrong"), cipher);
    const std::string wrong = cryptor.DeCrypt(cipher, "wrong");
    EXPECT_EQ(ortiva::text::utf16_length(wrong), ortiva::text::utf16_length(text));
    EXPECT_NE(wrong, text);
}

TEST(Clscryptor, DeCryptOfForeignTextNeverFailsAndHasTheStatedLength) {
    clscryptor cryptor;
    const std::string samples[] = {"!", "0", " ", std::string(1, '\0'), "\x0c", "Z"};
    for (const std::string& unit : samples) {
        for (int n = 0; n <= 40; ++n) {
            std::string text;
            for (int i = 0; i < n; ++i)
                text += unit;
            const std::string plain = cryptor.DeCrypt(text, "key");
            const int expected = n == 0 ? 0 : (n - 1) - (n - 1) / 4;
            ASSERT_EQ(ortiva::text::utf16_length(plain), expected) << "length " << n;
        }
    }
    // Characters outside the code page count as '?' there, as in the key.
    EXPECT_EQ(cryptor.DeCrypt("日本語のテキスト", "k"), cryptor.DeCrypt("????????", "k"));
}

TEST(Clscryptor, KeyCharactersWithoutACodeCountAsQuestionMarksPerUtf16Unit) {
    clscryptor cryptor;
    EXPECT_EQ(cryptor.EnCrypt("text", "日本"), cryptor.EnCrypt("text", "??"));
    EXPECT_EQ(cryptor.EnCrypt("text", "😀"), cryptor.EnCrypt("text", "??"));
    EXPECT_NE(cryptor.EnCrypt("text", "😀"), cryptor.EnCrypt("text", "?"));
}

TEST(Clscryptor, EnCryptRefusesTextThatCouldNotComeBack) {
    clscryptor cryptor;
    for (const std::string text : {"Привет", "price: 5 ₽", "😀", "bad \xC3 byte", "\xff"}) {
        try {
            cryptor.EnCrypt(text, "k");
            ADD_FAILURE() << "no error for \"" << text << "\"";
        } catch (const ortiva::ErrorInfo& e) {
            EXPECT_EQ(e.number(), ortiva::err::invalid_call);
        }
    }
    // A '?' that was really typed is fine.
    EXPECT_EQ(cryptor.DeCrypt(cryptor.EnCrypt("why?", "k"), "k"), "why?");
}

TEST(Clscryptor, ConcurrentCallsGiveTheResultsOfOneThread) {
    std::vector<std::string> texts;
    std::string grow;
    for (int i = 0; i < 64; ++i) {
        grow += char_of((i * 37 + 11) % 256);
        texts.push_back(grow);
    }
    const std::string thread_keys[] = {"", "alpha", "béta", "γ"};  // γ counts as '?'

    clscryptor reference;
    std::vector<std::string> expected;
    for (const std::string& key : thread_keys) {
        for (const std::string& text : texts)
            expected.push_back(reference.EnCrypt(text, key));
    }

    clscryptor shared;
    constexpr int thread_count = 8;
    std::vector<std::vector<std::string>> got(thread_count);
    std::vector<int> round_trip_failures(thread_count, 0);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < thread_count; ++t) {
            threads.emplace_back([&, t] {
                for (int repeat = 0; repeat < 20; ++repeat) {
                    std::vector<std::string> mine;
                    for (const std::string& key : thread_keys) {
                        for (const std::string& text : texts) {
                            mine.push_back(shared.EnCrypt(text, key));
                            if (shared.DeCrypt(mine.back(), key) != text) {
                                ++round_trip_failures[t];
                            }
                        }
                    }
                    got[t] = std::move(mine);
                }
            });
        }
    }
    for (int t = 0; t < thread_count; ++t) {
        EXPECT_EQ(got[t], expected) << "thread " << t;
        EXPECT_EQ(round_trip_failures[t], 0) << "thread " << t;
    }
}

}  // namespace
