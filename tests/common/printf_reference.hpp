#pragma once

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace ortiva::testing {

// The text form of a number as the library first made it, through printf("%.*E"): the
// oracle that the printf-free formatting must match digit for digit. `digits` is 15 for a
// Double and 7 for a Single; the caller handles 0 and non-finite values.
inline std::string printf_significant(double x, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*E", digits - 1, x);
    const std::string_view s(buf);
    const auto e = s.find('E');
    std::string mantissa;
    for (char c : s.substr(0, e)) {
        if (c >= '0' && c <= '9') mantissa += c;
    }
    int exponent = 0;
    std::from_chars(s.data() + e + (s[e + 1] == '+' ? 2 : 1), s.data() + s.size(), exponent);
    while (mantissa.size() > 1 && mantissa.back() == '0')
        mantissa.pop_back();

    std::string out = s[0] == '-' ? "-" : "";
    if (exponent < -4 || exponent >= digits) {
        out += mantissa[0];
        if (mantissa.size() > 1) {
            out += '.';
            out.append(mantissa, 1, std::string::npos);
        }
        out += exponent < 0 ? "E-" : "E+";
        const int magnitude = std::abs(exponent);
        if (magnitude < 10) out += '0';
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "0.";
        out.append(static_cast<std::size_t>(-exponent - 1), '0');
        out += mantissa;
    } else {
        const auto whole = static_cast<std::size_t>(exponent) + 1;
        if (mantissa.size() <= whole) {
            out += mantissa;
            out.append(whole - mantissa.size(), '0');
        } else {
            out.append(mantissa, 0, whole);
            out += '.';
            out.append(mantissa, whole, std::string::npos);
        }
    }
    return out;
}

}  // namespace ortiva::testing
