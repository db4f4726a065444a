#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ortiva/clscryptor.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"
#include "support/raised.hpp"

namespace {

using ortiva::clscryptor;

std::string char_of(int code) {
    const char32_t c = ortiva::text::cp1252_char(static_cast<uint8_t>(code));
    return ortiva::text::from_utf32(std::u32string_view(&c, 1));
}

const std::string keys[] = {"", "k", "a longer key, with punctuation!", "clé€", "\xff"};

TEST(Clscryptor, EveryWindows1252CharacterRoundTrips) {
    clscryptor cryptor;
    std::string all;
    for (int code = 0; code < 256; ++code)
        all += char_of(code);
    for (const std::string& key : keys) {
        SCOPED_TRACE("key \"" + key + "\"");
        const std::string cipher = cryptor.EnCrypt(all, key);
        // A carrier after every three codes, each code in 72-135: one UTF-16 unit per code.
        const std::string codes = ortiva::text::to_cp1252(cipher);
        EXPECT_EQ(codes.size(), 256u + 86u);
        EXPECT_EQ(ortiva::text::utf16_length(cipher), 256 + 86);
        EXPECT_TRUE(std::all_of(codes.begin(), codes.end(),
                                [](unsigned char c) { return c >= 72 && c <= 135; }));
        EXPECT_EQ(cryptor.DeCrypt(cipher, key), all);
    }
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

TEST(Clscryptor, EnCryptRefusesTextThatCouldNotComeBack) {
    clscryptor cryptor;
    for (const std::string text : {"Привет", "price: 5 ₽", "😀", "bad \xC3 byte", "\xff"}) {
        EXPECT_EQ(ortiva::testing::error_of([&] { cryptor.EnCrypt(text, "k"); }),
                  ortiva::err::invalid_call)
            << text;
    }
    // A '?' that was really typed is fine.
    EXPECT_EQ(cryptor.DeCrypt(cryptor.EnCrypt("why?", "k"), "k"), "why?");
}

TEST(Clscryptor, ConcurrentCallsGiveTheResultsOfOneThread) {
    std::vector<std::pair<std::string, std::string>> calls;  // text, key
    std::string grow;
    for (int i = 0; i < 64; ++i) {
        grow += char_of((i * 37 + 11) % 256);
        for (const std::string key : {"", "alpha", "béta", "γ"})  // γ counts as '?'
            calls.emplace_back(grow, key);
    }
    clscryptor reference;
    std::vector<std::string> expected;
    for (const auto& [text, key] : calls)
        expected.push_back(reference.EnCrypt(text, key));

    clscryptor shared;
    constexpr int thread_count = 8;
    std::vector<int> failures(thread_count, 0);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < thread_count; ++t) {
            threads.emplace_back([&, t] {
                for (int repeat = 0; repeat < 20; ++repeat) {
                    for (std::size_t i = 0; i < calls.size(); ++i) {
                        const std::string cipher = shared.EnCrypt(calls[i].first, calls[i].second);
                        failures[t] += cipher != expected[i] ||
                                       shared.DeCrypt(cipher, calls[i].second) != calls[i].first;
                    }
                }
            });
        }
    }
    EXPECT_EQ(failures, std::vector<int>(thread_count, 0));
}

}  // namespace
