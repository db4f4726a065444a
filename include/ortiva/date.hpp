#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ortiva/export.hpp"

namespace ortiva {

/// A point in time held as the classic serial date: days since 1899-12-30 00:00, the time of
/// day as the fraction. Dates before the epoch keep the classic sign convention: the integer
/// part is negative and the fraction still counts forward (-1.25 is 1899-12-29 06:00).
struct ORTIVA_API Date {
    /// Days since 1899-12-30, the time of day as the fraction.
    double serial = 0.0;

    constexpr Date() = default;
    /// The date with serial \p s.
    constexpr explicit Date(double s) : serial(s) {}

    /// Builds a date from calendar fields. Throws ErrorInfo 5 for fields out of range.
    static Date from_fields(int year, int month, int day, int hour = 0, int minute = 0,
                            int second = 0);
    /// The local date and time of this moment, to the second.
    static Date now();

    /// Calendar fields of a date, as fields() returns them.
    struct Fields {
        /** \var int year
            Year. */
        /** \var int month
            Month, 1 to 12. */
        /** \var int day
            Day of the month, 1 to 31. */
        /** \var int hour
            Hour, 0 to 23. */
        /** \var int minute
            Minute, 0 to 59. */
        /** \var int second
            Second, 0 to 59. */
        int year, month, day, hour, minute, second;
    };
    /// Calendar fields, the time rounded to the nearest second.
    Fields fields() const;

    /// Formats with a pattern made of dd, mm, yyyy, hh, nn, ss and literal characters.
    /// "mm" right after "hh" (or "hh:") means minutes, as in the classic run time.
    std::string format(std::string_view pattern) const;

    /// The general text form: "yyyy-mm-dd hh:mm:ss", the time left out at midnight and the
    /// date left out for pure times (serial between 0 and 1).
    std::string to_text() const;

    /// Reads a date, a time, or a date and time: ISO ("2024-03-01", "2024-03-01 13:45:10",
    /// "2024-03-01T13:45"), day/month/year ("01/03/2024", with "/", "-" or "."), and times
    /// "hh:mm" or "hh:mm:ss" with an optional AM/PM. Throws ErrorInfo 13 on anything else.
    static Date parse(std::string_view text);
    /// Like parse, but returns false instead of throwing.
    static bool try_parse(std::string_view text, Date& out);

    /// Equal serials (exact comparison of the doubles).
    friend constexpr bool operator==(Date a, Date b) { return a.serial == b.serial; }
};

}  // namespace ortiva
