// Numbers and dates as text: CStr/CInt/CLng/CDbl/CDate, the leading-number rule, date texts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "common/printf_reference.hpp"
#include "fuzz_support.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/date.hpp"

using namespace ortiva;
using fuzz::refused;

namespace {

// The text form must match the printf one digit for digit and read back as the same text.
void check_number_text(double d, bool single) {
    const Variant v = single ? Variant(static_cast<float>(d)) : Variant(d);
    const double value = to_double(v);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(refused([&] { to_text(v); }), "non-finite number formatted");
        return;
    }
    const std::string text = to_text(v);
    const int digits = single ? 7 : 15;
    FUZZ_CHECK(text == (value == 0 ? "0" : testing::printf_significant(value, digits)), text);
    // Fifteen digits identify a Double, so its text reads back to the same text; seven digits
    // come within half a unit of the seventh digit of a Single.
    // The largest Doubles print rounded up past the range, and read back as an overflow, as
    // in the classic run time.
    double back = 0;
    int32_t number = 0;
    if (refused([&] { back = to_double(Variant(text)); }, &number)) {
        FUZZ_CHECK(number == 6 && std::fabs(value) > 1.797693134862315e308, text);
        return;
    }
    if (!single) FUZZ_CHECK(to_text(Variant(back)) == text, text);
    // Half a unit of the last digit is measured against the value's power of ten, so a value
    // just above one (1.00438238926149E-296) may lie 5e-15 of itself from its text; reading
    // the text back adds at most one rounding of its own.
    const double half_unit = single ? 5e-7 : 5e-15;
    FUZZ_CHECK(std::fabs(back - value) <= std::fabs(value) * (half_unit + DBL_EPSILON), text);
}

void check_text(const std::string& s) {
    const Variant v(s);
    double d = 0;
    int32_t number = 0;
    // CDbl either reads the whole text or refuses with 13 (not a number) or 6 (overflow).
    if (refused([&] { d = to_double(v); }, &number)) {
        FUZZ_CHECK(number == 13 || number == 6, s);
        FUZZ_CHECK(refused([&] { to_int32(v); }), "CLng read what CDbl refused: " + s);
    } else {
        FUZZ_CHECK(std::isfinite(d), s);
        int32_t l = 0;
        if (!refused([&] { l = to_int32(v); }, &number)) {
            FUZZ_CHECK(l == round_to_int32(d), s);
            FUZZ_CHECK(std::fabs(l - d) <= 0.5, s);
        } else {
            FUZZ_CHECK(number == 6 && std::fabs(d) >= 2147483647.5, s);
        }
    }
    // A plain decimal number reads the same by every rule.
    if (is_numeric(v)) {
        double lead = 0;
        const bool lead_refused = refused([&] { lead = leading_number(s); });
        FUZZ_CHECK(lead_refused == refused([&] { to_double(v); }), s);
        if (!lead_refused) FUZZ_CHECK(lead == d, s);
    }
    double lead = 0;
    if (!refused([&] { lead = leading_number(s); }, &number))
        FUZZ_CHECK(std::isfinite(lead), s);
    else
        FUZZ_CHECK(number == 6, s);

    // A date that parses prints as a text that parses to the same printed date.
    Date date;
    const bool parsed = Date::try_parse(s, date);
    FUZZ_CHECK(parsed != refused([&] { Date::parse(s); }), s);
    if (parsed) {
        const std::string printed = date.to_text();
        Date again;
        FUZZ_CHECK(Date::try_parse(printed, again) && again.to_text() == printed, printed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegralInRange(0, 2)) {
        case 0: {
            uint64_t bits = in.ConsumeIntegral<uint64_t>();
            double d;
            std::memcpy(&d, &bits, sizeof d);
            check_number_text(d, false);
            break;
        }
        case 1: {
            const auto bits = in.ConsumeIntegral<uint32_t>();
            float f;
            std::memcpy(&f, &bits, sizeof f);
            check_number_text(f, true);
            break;
        }
        default:
            check_text(in.ConsumeRemainingBytesAsString());
    }
    return 0;
}
