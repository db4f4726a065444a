// UTF-8 texts measured and cut in UTF-16 units, and Windows-1252 both ways.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>

#include "fuzz_support.hpp"
#include "ortiva/text.hpp"

using namespace ortiva;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const auto cut = in.ConsumeIntegral<uint16_t>();
    const auto span = in.ConsumeIntegral<uint16_t>();
    const std::string raw = in.ConsumeRemainingBytesAsString();

    // Decoding cleans the bytes once; the clean text then survives every round trip.
    const std::u32string points = text::to_utf32(raw);
    const std::string t = text::from_utf32(points);
    FUZZ_CHECK(text::to_utf32(t) == points, "UTF-8 round trip");
    const std::u16string units = text::to_utf16(t);
    FUZZ_CHECK(text::from_utf16(units) == t, "UTF-16 round trip");
    const int32_t length = text::utf16_length(t);
    FUZZ_CHECK(length == static_cast<int32_t>(units.size()), "length in UTF-16 units");
    FUZZ_CHECK(text::to_utf32(text::upper(t)).size() == points.size(), "upper-casing");
    FUZZ_CHECK(text::compare(t, t) == 0, "compare with itself");

    // Cutting where no surrogate pair is split loses and adds nothing.
    auto splits_pair = [&](int32_t at) {
        return at > 0 && at < length && units[at - 1] >= 0xD800 && units[at - 1] < 0xDC00;
    };
    const int32_t k = length == 0 ? 0 : cut % (length + 1);
    const int32_t m = span % (length - k + 1);
    const std::string head = text::left(t, k);
    FUZZ_CHECK(text::utf16_length(head) <= k, "Left$ longer than asked");
    if (!splits_pair(k)) {
        FUZZ_CHECK(head + text::right(t, length - k) == t, "Left$ + Right$");
        FUZZ_CHECK(head + text::mid(t, k + 1) == t, "Left$ + Mid$");
    }
    if (!splits_pair(k) && !splits_pair(k + m)) {
        const std::string needle = text::mid(t, k + 1, m);
        const int32_t at = text::find(t, needle);
        FUZZ_CHECK(at >= 1 && at <= k + 1, "InStr of a piece of the text");
        FUZZ_CHECK(text::mid(t, at, m) == needle, "InStr position");
    }

    // Windows-1252: one byte per character, and every byte comes back as itself.
    FUZZ_CHECK(text::to_cp1252(t).size() == points.size(), "one code per character");
    FUZZ_CHECK(text::to_cp1252(text::from_cp1252(raw)) == raw, "Windows-1252 round trip");
    return 0;
}
