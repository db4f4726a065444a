#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

using ortiva::testing::error_of;

TEST(LeadingNumber, ReadsUpToTheFirstCharacterThatCannotContinue) {
    struct Case {
        const char* in;
        double out;
    };
    const Case cases[] = {
        {"0007", 7},        {"A12", 0},        {" 1 2 3", 123}, {"\t1\n2", 12},  {"12.5", 12.5},
        {"12.5.6", 12.5},   {"-3.25x", -3.25}, {"+4", 4},       {"- 5", -5},     {"--5", 0},
        {".5", 0.5},        {"3.", 3},         {"1e3", 1000},   {"1E-2", 0.01},  {"1D2", 100},
        {"1d+2", 100},      {"2E", 2},         {"2E+", 2},      {"1e3e4", 1000}, {"&H1F", 31},
        {"&h1fzz", 31},     {"&O17", 15},      {"&o178", 15},   {"& H 10", 16},  {"&HFFFF", -1},
        {"&H10000", 65536}, {"&H", 0},         {"&X1", 0},      {"-&H1F", 0},    {"", 0},
        {"   ", 0},         {"12abc", 12},     {"1,000", 1},    {"\r5", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(leading_number(c.in), c.out) << '"' << c.in << '"';
    EXPECT_FALSE(std::signbit(leading_number("-x")));
    EXPECT_EQ(error_of([] { leading_number("1e400"); }), err::overflow);
    EXPECT_EQ(error_of([] { leading_number("&H100000000"); }), err::overflow);
    EXPECT_EQ(leading_number("1e-400"), 0);
    EXPECT_EQ(leading_number("0." + std::string(400, '0') + "1"), 0);
    EXPECT_GT(leading_number("1e-310"), 0);  // subnormal, not flushed
    EXPECT_EQ(error_of([] { leading_number("1" + std::string(400, '0')); }), err::overflow);
    EXPECT_EQ(error_of([] { to_double(Variant("-1D400")); }), err::overflow);
}

TEST(Rounding, HalfGoesToEvenAndRangeOverflows) {
    struct Case {
        double in;
        int32_t out;
    };
    const Case cases[] = {
        {0.5, 0},
        {1.5, 2},
        {-2.5, -2},
        {-3.5, -4},
        {2.4999, 2},
        {2.5001, 3},
        {-0.4, 0},
        {2147483647.0, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {2147483647.4, 2147483647},
    };
    for (const auto& c : cases)
        EXPECT_EQ(round_to_int32(c.in), c.out) << c.in;
    for (double bad : {2147483647.0 + 1, 2147483647.5, -2147483649.0, -2147483648.6, std::nan(""),
                       double(INFINITY)}) {
        EXPECT_EQ(error_of([bad] { round_to_int32(bad); }), err::overflow) << bad;
    }
    EXPECT_EQ(round_to_int16(32767.0), 32767);
    EXPECT_EQ(round_to_int16(-32768.0), -32768);
    EXPECT_EQ(round_to_int16(-32768.5), -32768);
    EXPECT_EQ(round_to_int16(4.5), 4);
    for (double bad : {32768.0, 32767.5, -32769.0, -32768.6}) {
        EXPECT_EQ(error_of([bad] { round_to_int16(bad); }), err::overflow) << bad;
    }
}

TEST(Conversions, ToText) {
    struct Case {
        Variant in;
        const char* out;
    };
    const Case cases[] = {
        {Variant(), ""},
        {Variant(int16_t{-7}), "-7"},
        {Variant(int32_t{2147483647}), "2147483647"},
        {Variant(1.5), "1.5"},  // every rule of numbers: number_text_test.cpp
        {Variant(true), "True"},
        {Variant(false), "False"},
        {Variant(Date(45352.5)), "2024-03-01 12:00:00"},
        {Variant("héllo"), "héllo"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(to_text(c.in), c.out) << c.out;
    EXPECT_EQ(error_of([] { to_text(Variant::null()); }), err::invalid_null);
    EXPECT_EQ(error_of([] { to_text(Variant::missing()); }), err::type_mismatch);
    EXPECT_EQ(error_of([] { to_text(Variant(VariantArray{1})); }), err::type_mismatch);
    EXPECT_EQ(join_text(Variant::null()), "");
    EXPECT_EQ(join_text(Variant(2.5)), "2.5");
}

TEST(Conversions, ToIntegersNeedWhollyNumericText) {
    EXPECT_EQ(to_int32(Variant("  12  ")), 12);
    EXPECT_EQ(to_int32(Variant("12.5")), 12);
    EXPECT_EQ(to_int32(Variant("-1.5e1")), -15);
    EXPECT_EQ(to_int32(Variant("&H1F")), 31);
    EXPECT_EQ(to_int32(Variant(true)), -1);
    EXPECT_EQ(to_int16(Variant(true)), -1);
    EXPECT_EQ(to_int32(Variant(false)), 0);
    EXPECT_EQ(to_int32(Variant()), 0);
    EXPECT_EQ(to_int32(Variant(Date(45352.5))), 45352);
    EXPECT_EQ(to_int32(Variant(Date(45353.5))), 45354);
    EXPECT_EQ(to_int16(Variant(int32_t{-32768})), -32768);
    EXPECT_EQ(to_int32(Variant(13.5f)), 14);
    for (const char* bad : {"abc", "12abc", "", " ", "0007x", "1 2", "\t5", "1e", "&HG"}) {
        EXPECT_EQ(error_of([bad] { to_int32(Variant(bad)); }), err::type_mismatch) << bad;
        EXPECT_EQ(error_of([bad] { to_double(Variant(bad)); }), err::type_mismatch) << bad;
    }
    EXPECT_EQ(error_of([] { to_int32(Variant::null()); }), err::invalid_null);
    EXPECT_EQ(error_of([] { to_int16(Variant::null()); }), err::invalid_null);
    EXPECT_EQ(error_of([] { to_double(Variant::null()); }), err::invalid_null);
    EXPECT_EQ(error_of([] { to_int32(Variant("2147483648")); }), err::overflow);
    EXPECT_EQ(error_of([] { to_int16(Variant(int32_t{32768})); }), err::overflow);
    EXPECT_EQ(error_of([] { to_int32(Variant(std::shared_ptr<HostObject>())); }),
              err::type_mismatch);
    EXPECT_EQ(error_of([] { to_single(Variant(1e300)); }), err::overflow);
}

TEST(Conversions, ToBoolAndDate) {
    EXPECT_TRUE(to_bool(Variant("True")));
    EXPECT_TRUE(to_bool(Variant(" tRuE ")));
    EXPECT_FALSE(to_bool(Variant("FALSE")));
    EXPECT_TRUE(to_bool(Variant("-1")));
    EXPECT_FALSE(to_bool(Variant("0.0")));
    EXPECT_TRUE(to_bool(Variant(0.5)));
    EXPECT_FALSE(to_bool(Variant()));
    EXPECT_EQ(error_of([] { to_bool(Variant("yes")); }), err::type_mismatch);
    EXPECT_EQ(error_of([] { to_bool(Variant::null()); }), err::invalid_null);

    EXPECT_EQ(to_date(Variant(45352.25)), Date(45352.25));
    EXPECT_EQ(to_date(Variant("2024-03-01")), Date::from_fields(2024, 3, 1));
    EXPECT_EQ(error_of([] { to_date(Variant("45352")); }), err::type_mismatch);
    EXPECT_EQ(error_of([] { to_date(Variant("not a date")); }), err::type_mismatch);
    EXPECT_EQ(error_of([] { to_date(Variant(1e10)); }), err::overflow);
    EXPECT_EQ(error_of([] { to_date(Variant::null()); }), err::invalid_null);
}

TEST(Conversions, IsNumericMeansPlainDecimal) {
    for (const char* yes : {" 12 ", "-1.5", "+3", "12.", ".5", "0007"}) {
        EXPECT_TRUE(is_numeric(Variant(yes))) << yes;
    }
    for (const char* no :
         {"", " ", "abc", "1e5", "&H1F", "1,000", "- 1", "1.2.3", ".", "+", "\t1", "CODE"}) {
        EXPECT_FALSE(is_numeric(Variant(no))) << no;
    }
    EXPECT_TRUE(is_numeric(Variant(int16_t{1})));
    EXPECT_TRUE(is_numeric(Variant(2.5)));
    EXPECT_FALSE(is_numeric(Variant()));
    EXPECT_FALSE(is_numeric(Variant::null()));
}

TEST(Conversions, LooselyEqual) {
    EXPECT_TRUE(loosely_equal(Variant(int16_t{5}), Variant(5.0)));
    EXPECT_TRUE(loosely_equal(Variant(int32_t{5}), Variant("5")));
    EXPECT_TRUE(loosely_equal(Variant(" 5.0 "), Variant(int32_t{5})));
    EXPECT_TRUE(loosely_equal(Variant(true), Variant(int16_t{-1})));
    EXPECT_TRUE(loosely_equal(Variant(), Variant(0.0)));
    EXPECT_TRUE(loosely_equal(Variant(), Variant("")));
    EXPECT_TRUE(loosely_equal(Variant("abc"), Variant("abc")));
    EXPECT_FALSE(loosely_equal(Variant("abc"), Variant("ABC")));
    EXPECT_FALSE(loosely_equal(Variant("5"), Variant("5.0")));  // two texts compare as texts
    EXPECT_FALSE(loosely_equal(Variant(int32_t{5}), Variant("five")));
    EXPECT_FALSE(loosely_equal(Variant::null(), Variant::null()));
    EXPECT_FALSE(loosely_equal(Variant(1.0), Variant::null()));
}

}  // namespace
}  // namespace ortiva
