// The keyed cipher: whatever is enciphered deciphers back under the same key, and deciphering
// anything at all gives a text of the documented length.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_support.hpp"
#include "ortiva/clscryptor.hpp"
#include "ortiva/text.hpp"

using namespace ortiva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string key = in.ConsumeRandomLengthString(64);
    const std::string raw = in.ConsumeRemainingBytesAsString();
    clscryptor cipher;

    cipher.DeCrypt(raw, key);  // bytes that are not even UTF-8
    const std::string clean = text::from_utf32(text::to_utf32(raw));
    const int32_t n = text::utf16_length(clean);
    const int32_t expected = n == 0 ? 0 : (n - 1) - (n - 1) / 4;
    FUZZ_CHECK(text::utf16_length(cipher.DeCrypt(clean, key)) == expected, "deciphered length");

    // Any Windows-1252 text round-trips; one with a character outside the code page is refused.
    const std::string t = text::from_cp1252(raw);
    const std::string sealed = cipher.EnCrypt(t, key);
    const int32_t units = text::utf16_length(t);
    FUZZ_CHECK(text::utf16_length(sealed) == units + (units + 2) / 3, "enciphered length");
    for (char32_t c : text::to_utf32(sealed)) {
        const auto code = text::cp1252_code(c);
        FUZZ_CHECK(code >= 72 && code <= 135, "printable cipher text");
    }
    FUZZ_CHECK(cipher.DeCrypt(sealed, key) == t, "round trip");
    int32_t number = 0;
    FUZZ_CHECK(
        fuzz::refused([&] { cipher.EnCrypt(t + "\xE4\xB8\x80", key); }, &number) && number == 5,
        "a character outside the code page enciphered");
    return 0;
}
