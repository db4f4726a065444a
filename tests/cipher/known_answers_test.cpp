// Expected texts come from tests/cipher/known_answers.py, written from the published steps
// of the generator and the stages, independently of this code.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "ortiva/clscryptor.hpp"

namespace {

using namespace std::literals;

struct Row {
    std::string_view text;
    std::string_view key;
    std::string_view expected;
};

// clang-format off
const Row enciphered[] = {
    {""sv, ""sv, ""sv},
    {"a"sv, ""sv, "\x7fx"sv},
    {"ab"sv, ""sv, "\x7f€„"sv},
    {"abc"sv, ""sv, "\x7f€\xc2\x81…"sv},
    {"abcd"sv, ""sv, "\x7f€\xc2\x81…Uh"sv},
    {"Hello"sv, "k"sv, "QSHp‚||"sv},
    {"Ortiva"sv, "pw"sv, "\x7fWor\xc2\x81\xc2\x81‚\xc2\x81"sv},
    {"1234567"sv, "key"sv, "`XPki†ƒs…X"sv},
    {"café €5"sv, "é€"sv, "KpP\\€NaXwH"sv},
    {"Grüße, señor — ½ ÿ"sv, "clé"sv, "NthUP_IOrTTwSo„‚‡ƒ`[ULd["sv},
    {"\x00\x01\x7f\xc2\x81\xc2\x8d\xc2\x8f\xc2\x90\xc2\x9d\xc2\xa0ÿ"sv, "K"sv, "oq\\Y„pVm{^\x7f}nh"sv},
    {"secret"sv, "a\x00" "b"sv, "V[h‡uRzg"sv},
    {"secret"sv, "😀"sv, "Ql…JucfM"sv},
};

// Texts EnCrypt never made: codes below 72, lengths that no enciphered text has.
const Row foreign[] = {
    {"!"sv, ""sv, ""sv},
    {"Hello, world!"sv, "key"sv, ")\x7fß2«í-\x16º"sv},
    {"\x00\x05\x0c"sv, ""sv, "¶º"sv},
    {"ÿÿÿÿÿÿ"sv, "k"sv, "6\x19›a"sv},
    {"ZZZ.ZZZ.Z."sv, "k"sv, "\x13|þD‰ 8"sv},  // carriers below 59, lows above
};
// clang-format on

TEST(CipherKnownAnswers, EnCryptGivesTheStoredFormAndDeCryptReadsItBack) {
    ortiva::clscryptor cryptor;
    for (const Row& row : enciphered) {
        const std::string text(row.text), key(row.key);
        SCOPED_TRACE("text \"" + text + "\" key \"" + key + "\"");
        EXPECT_EQ(cryptor.EnCrypt(text, key), row.expected);
        EXPECT_EQ(cryptor.DeCrypt(std::string(row.expected), key), text);
    }
}

TEST(CipherKnownAnswers, DeCryptOfForeignText) {
    ortiva::clscryptor cryptor;
    for (const Row& row : foreign) {
        SCOPED_TRACE("text \"" + std::string(row.text) + "\"");
        EXPECT_EQ(cryptor.DeCrypt(std::string(row.text), std::string(row.key)), row.expected);
    }
}

}  // namespace
