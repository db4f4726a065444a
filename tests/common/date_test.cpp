#include <gtest/gtest.h>

#include <array>

#include "ortiva/date.hpp"
#include "ortiva/error_info.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

struct Known {
    double serial;
    Date::Fields f;
};

// Serial numbers of the classic run time, including dates before the 1899-12-30 epoch where
// the whole part counts back and the fraction still counts forward.
const Known known[] = {
    {0.0, {1899, 12, 30, 0, 0, 0}},       {0.25, {1899, 12, 30, 6, 0, 0}},
    {-1.0, {1899, 12, 29, 0, 0, 0}},      {-1.75, {1899, 12, 29, 18, 0, 0}},
    {-2.5, {1899, 12, 28, 12, 0, 0}},     {-36522.0, {1800, 1, 1, 0, 0, 0}},
    {-657434.0, {100, 1, 1, 0, 0, 0}},    {60.0, {1900, 2, 28, 0, 0, 0}},
    {61.0, {1900, 3, 1, 0, 0, 0}},        {36526.0, {2000, 1, 1, 0, 0, 0}},
    {45351.0, {2024, 2, 29, 0, 0, 0}},    {45352.5, {2024, 3, 1, 12, 0, 0}},
    {2958465.0, {9999, 12, 31, 0, 0, 0}},
};

std::array<int, 6> parts(const Date::Fields& f) {
    return {f.year, f.month, f.day, f.hour, f.minute, f.second};
}

TEST(Date, FieldsRoundTripAcrossTheEpoch) {
    for (const auto& k : known) {
        const Date d =
            Date::from_fields(k.f.year, k.f.month, k.f.day, k.f.hour, k.f.minute, k.f.second);
        EXPECT_DOUBLE_EQ(d.serial, k.serial);
        EXPECT_EQ(parts(Date(k.serial).fields()), parts(k.f)) << k.serial;
    }
    const Date d = Date::from_fields(1850, 6, 15, 23, 59, 59);
    EXPECT_EQ(parts(d.fields()), parts({1850, 6, 15, 23, 59, 59}));
    // The time is rounded to the second, carrying into the next day.
    EXPECT_EQ(parts(Date(45352.9999999).fields()), parts({2024, 3, 2, 0, 0, 0}));
    EXPECT_EQ(parts(Date(-1.9999999).fields()), parts({1899, 12, 30, 0, 0, 0}));
    // Between -1 and 0 the whole part is day 0, so the time counts from the epoch.
    EXPECT_EQ(parts(Date(-0.25).fields()), parts({1899, 12, 30, 6, 0, 0}));
}

TEST(Date, FromFieldsRejectsImpossibleFields) {
    const int bad[][6] = {{2023, 2, 29, 0, 0, 0}, {2024, 13, 1, 0, 0, 0}, {2024, 4, 31, 0, 0, 0},
                          {2024, 1, 1, 24, 0, 0}, {2024, 1, 1, 0, 60, 0}, {2024, 1, 1, 0, 0, 60},
                          {99, 1, 1, 0, 0, 0},    {10000, 1, 1, 0, 0, 0}, {2024, 0, 1, 0, 0, 0}};
    for (const auto& b : bad) {
        EXPECT_EQ(testing::error_of([&] { Date::from_fields(b[0], b[1], b[2], b[3], b[4], b[5]); }),
                  err::invalid_call)
            << b[0] << "-" << b[1] << "-" << b[2];
    }
}

TEST(Date, Formats) {
    const Date d = Date::from_fields(2024, 3, 1, 13, 5, 9);
    EXPECT_EQ(d.format("dd/mm/yyyy"), "01/03/2024");
    EXPECT_EQ(d.format("hh:mm:ss"), "13:05:09");
    EXPECT_EQ(d.format("hh:nn"), "13:05");
    EXPECT_EQ(d.format("mm:ss"), "05:09");
    EXPECT_EQ(d.format("DD-MM-YYYY HH:MM"), "01-03-2024 13:05");
    EXPECT_EQ(Date(-1.75).format("dd/mm/yyyy hh:mm:ss"), "29/12/1899 18:00:00");
    EXPECT_EQ(d.to_text(), "2024-03-01 13:05:09");
    EXPECT_EQ(Date::from_fields(2024, 3, 1).to_text(), "2024-03-01");
    EXPECT_EQ(Date(0.5).to_text(), "12:00:00");
    EXPECT_EQ(Date(0).to_text(), "00:00:00");
    EXPECT_EQ(Date(-1.25).to_text(), "1899-12-29 06:00:00");
}

TEST(Date, Parses) {
    struct Case {
        const char* in;
        Date out;
    };
    const Case cases[] = {
        {"2024-03-01 13:45:10", Date::from_fields(2024, 3, 1, 13, 45, 10)},
        {"2024-03-01T13:45", Date::from_fields(2024, 3, 1, 13, 45, 0)},
        {"2024-03-01", Date::from_fields(2024, 3, 1)},
        {" 01/03/2024 13:45:10 ", Date::from_fields(2024, 3, 1, 13, 45, 10)},
        {"1.3.2024", Date::from_fields(2024, 3, 1)},
        {"01-03-24", Date::from_fields(2024, 3, 1)},
        {"01/03/99", Date::from_fields(1999, 3, 1)},
        {"29/12/1899 18:00", Date(-1.75)},
        {"13:45:10", Date((13 * 3600 + 45 * 60 + 10) / 86400.0)},
        {"1:05 PM", Date((13 * 3600 + 5 * 60) / 86400.0)},
        {"12:30 am", Date(30 * 60 / 86400.0)},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(Date::parse(c.in).serial, c.out.serial) << c.in;
    for (const char* bad : {"", "2024-02-30", "32/01/2024", "2024-03-01 25:00", "13:45:10x",
                            "13 PM", "45352", "2024/03/01", "01/03/2024T", "abc", "13:00 PM"}) {
        Date d(7);
        EXPECT_FALSE(Date::try_parse(bad, d)) << bad;
        EXPECT_EQ(d, Date(7));
        EXPECT_EQ(testing::error_of([&] { Date::parse(bad); }), err::type_mismatch) << bad;
    }
}

}  // namespace
}  // namespace ortiva
