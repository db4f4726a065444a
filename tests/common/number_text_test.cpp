#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "common/printf_reference.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

TEST(NumberText, EdgesOfRoundingExponentsAndRange) {
    struct Case {
        Variant in;
        const char* out;
    };
    const Case cases[] = {
        // Fifteen significant digits for a Double, seven for a Single, trailing zeros dropped.
        {Variant(0.1), "0.1"},
        {Variant(0.1 + 0.2), "0.3"},
        {Variant(1.0 / 3), "0.333333333333333"},
        {Variant(-3.0), "-3"},
        {Variant(-0.0), "0"},
        {Variant(1.1f), "1.1"},
        // Exact halves go to the even digit, and rounding up may carry into a new exponent.
        {Variant(1000000000000005.0), "1E+15"},
        {Variant(1000000000000015.0), "1.00000000000002E+15"},
        {Variant(999999999999999.5), "1E+15"},
        {Variant(12345665.0f), "1.234566E+07"},
        {Variant(12345675.0f), "1.234568E+07"},
        {Variant(0.0001f), "0.0001"},
        // Where the exponent form starts: below 1E-4, and at 15 (Double) or 7 (Single) digits.
        {Variant(0.0001), "0.0001"},
        {Variant(0.00001), "1E-05"},
        {Variant(-0.00012345), "-0.00012345"},
        {Variant(100000000000000.0), "100000000000000"},
        {Variant(1e15), "1E+15"},
        {Variant(9999999.0f), "9999999"},
        {Variant(1e7f), "1E+07"},
        {Variant(-0.0f), "0"},
        // Range ends and subnormals.
        {Variant(DBL_MAX), "1.79769313486232E+308"},
        {Variant(-DBL_MAX), "-1.79769313486232E+308"},
        {Variant(DBL_MIN), "2.2250738585072E-308"},
        {Variant(std::numeric_limits<double>::denorm_min()), "4.94065645841247E-324"},
        {Variant(FLT_MAX), "3.402823E+38"},
        {Variant(std::numeric_limits<float>::denorm_min()), "1.401298E-45"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(to_text(c.in), c.out) << c.out;
    EXPECT_EQ(testing::error_of([] { to_text(Variant(std::numeric_limits<double>::infinity())); }),
              err::overflow);
}

// The printf-free formatting against the printf one, over random bit patterns (every
// exponent, subnormals included) and over values next to powers of ten, where rounding
// changes the exponent.
TEST(NumberText, MatchesThePrintfFormattingDigitForDigit) {
    std::mt19937_64 random(22);
    auto same = [](double d) {
        if (!std::isfinite(d) || d == 0) return;
        ASSERT_EQ(to_text(Variant(d)), testing::printf_significant(d, 15)) << d;
    };
    auto same_single = [](float f) {
        if (!std::isfinite(f) || f == 0) return;
        ASSERT_EQ(to_text(Variant(f)), testing::printf_significant(f, 7)) << f;
    };
    for (int i = 0; i < 100000; ++i) {
        const uint64_t bits = random();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        same(d);
        const auto bits32 = static_cast<uint32_t>(bits >> 32);
        float f;
        std::memcpy(&f, &bits32, sizeof f);
        same_single(f);
    }
    for (int e = -330; e <= 308; ++e) {
        const double p = std::pow(10.0, e);
        for (double d : {p, std::nextafter(p, 0.0), std::nextafter(p, HUGE_VAL),
                         p * 0.99999999999999, p * 9.999999999999995, -p * 5.000000000000005}) {
            same(d);
            same_single(static_cast<float>(d));
        }
    }
}

}  // namespace
}  // namespace ortiva
