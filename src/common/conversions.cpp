#include "ortiva/conversions.hpp"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

constexpr double min_date = -657434.0;          // 0100-01-01
constexpr double max_date = 2958465.999988426;  // 9999-12-31 23:59:59

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

char upper_ascii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper_ascii(a[i]) != upper_ascii(b[i])) return false;
    }
    return true;
}

// Up to `digits` significant digits, trailing zeros dropped; exponent form ("1E+20",
// "1E-05") when the number is too large or too small for that many digits: exactly
// printf("%.*G") in the C locale. to_chars rounds the exact binary value as printf does (an
// exact half to even) and, unlike printf, ignores the locale and parses no format on this hot
// path.
std::string format_significant(double x, int digits) {
    if (!std::isfinite(x)) raise(err::overflow);
    if (x == 0) return "0";
    char buf[48];
    char* const end =
        std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, digits).ptr;
    std::replace(buf, end, 'e', 'E');
    return std::string(buf, end);
}

// Hexadecimal and octal literals: up to 16 bits they are a 16-bit integer (so &HFFFF is -1),
// up to 32 bits a 32-bit one; anything wider overflows.
double radix_value(uint64_t v) {
    if (v <= 0xFFFF) return static_cast<int16_t>(static_cast<uint16_t>(v));
    if (v <= 0xFFFFFFFF) return static_cast<int32_t>(static_cast<uint32_t>(v));
    raise(err::overflow);
}

int radix_digit(char c, int radix) {
    int d = -1;
    if (is_digit(c))
        d = c - '0';
    else if (c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
    return d < radix ? d : -1;
}

void accumulate(uint64_t& v, int digit, int radix) {
    // Saturate past 32 bits: radix_value reports the overflow.
    if (v <= 0xFFFFFFFF) v = v * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
}

// Reads "[sign]digits[.digits][E|D[sign]digits]" already stripped of blanks.
double decimal_value(std::string number) {
    for (char& c : number) {
        if (c == 'D' || c == 'd' || c == 'e') c = 'E';
    }
    const char* first = number.data();
    if (*first == '+') ++first;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Too large is an overflow; too small reads as the nearest value strtod gives (0 or
        // a subnormal). The C locale keeps the point as the decimal separator.
        static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
        const double v = strtod_l(first, nullptr, c_locale);
        if (!std::isfinite(v)) raise(err::overflow);
        return v;
    }
    if (ec != std::errc() || !std::isfinite(value)) raise(err::overflow);
    return value == 0 ? 0.0 : value;
}

// A text that is wholly a number (after trimming spaces): a decimal number with optional
// sign, point and exponent, or an &H / &O literal. False for anything else.
bool parse_number_text(std::string_view text, double& out) {
    const std::string t = text::trim(text);
    if (t.size() >= 2 && t[0] == '&') {
        const char kind = upper_ascii(t[1]);
        const int radix = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
        if (radix == 0 || t.size() == 2) return false;
        uint64_t v = 0;
        for (std::size_t i = 2; i < t.size(); ++i) {
            const int d = radix_digit(t[i], radix);
            if (d < 0) return false;
            accumulate(v, d, radix);
        }
        out = radix_value(v);
        return true;
    }
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && is_digit(t[i]))
        ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && is_digit(t[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (upper_ascii(t[i]) == 'E' || upper_ascii(t[i]) == 'D')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t exp_digits = 0;
        while (i < t.size() && is_digit(t[i]))
            ++i, ++exp_digits;
        if (exp_digits == 0) return false;
    }
    if (i != t.size()) return false;
    out = decimal_value(t);
    return true;
}

double text_to_double(const std::string& s) {
    double d = 0;
    if (!parse_number_text(s, d)) raise(err::type_mismatch);
    return d;
}

}  // namespace

std::string to_text(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Empty:
            return {};
        case VariantKind::Null:
            raise(err::invalid_null);
        case VariantKind::Integer:
            return std::to_string(v.integer());
        case VariantKind::Long:
            return std::to_string(v.long_value());
        case VariantKind::Single:
            return format_significant(v.single(), 7);
        case VariantKind::Double:
            return format_significant(v.dbl(), 15);
        case VariantKind::Date:
            return v.date().to_text();
        case VariantKind::String:
            return v.str();
        case VariantKind::Boolean:
            return v.boolean() ? "True" : "False";
        default:
            raise(err::type_mismatch);
    }
}

std::string to_text(Variant&& v) {
    // The value is the caller's to give up: its text needs no copy.
    if (v.is_string()) return std::move(const_cast<std::string&>(v.str()));
    return to_text(static_cast<const Variant&>(v));
}

std::string join_text(const Variant& v) {
    return v.is_null() ? std::string() : to_text(v);
}

bool to_bool(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Boolean:
            return v.boolean();
        case VariantKind::String: {
            const std::string t = text::trim(v.str());
            if (iequals(t, "True")) return true;
            if (iequals(t, "False")) return false;
            return text_to_double(t) != 0;
        }
        default:
            return to_double(v) != 0;
    }
}

int16_t to_int16(const Variant& v) {
    if (v.kind() == VariantKind::Integer) return v.integer();
    return round_to_int16(to_double(v));
}

int32_t to_int32(const Variant& v) {
    if (v.kind() == VariantKind::Long) return v.long_value();
    return round_to_int32(to_double(v));
}

float to_single(const Variant& v) {
    if (v.kind() == VariantKind::Single) return v.single();
    const double d = to_double(v);
    if (std::fabs(d) > FLT_MAX) raise(err::overflow);
    return static_cast<float>(d);
}

double to_double(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Empty:
            return 0;
        case VariantKind::Null:
            raise(err::invalid_null);
        case VariantKind::Integer:
            return v.integer();
        case VariantKind::Long:
            return v.long_value();
        case VariantKind::Single:
            return v.single();
        case VariantKind::Double:
            return v.dbl();
        case VariantKind::Date:
            return v.date().serial;
        case VariantKind::Boolean:
            return v.boolean() ? -1 : 0;
        case VariantKind::String:
            return text_to_double(v.str());
        default:
            raise(err::type_mismatch);
    }
}

Date to_date(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Date:
            return v.date();
        case VariantKind::String:
            return Date::parse(v.str());
        default: {
            const double d = to_double(v);
            if (!(d >= min_date && d <= max_date)) raise(err::overflow);
            return Date(d);
        }
    }
}

int32_t round_to_int32(double x) {
    const double r = std::isfinite(x) ? x - std::remainder(x, 1.0) : x;
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) raise(err::overflow);
    return static_cast<int32_t>(r);
}

int16_t round_to_int16(double x) {
    const double r = std::isfinite(x) ? x - std::remainder(x, 1.0) : x;
    if (!(r >= -32768.0 && r <= 32767.0)) raise(err::overflow);
    return static_cast<int16_t>(r);
}

double leading_number(std::string_view text) {
    // Blanks, tabs and line feeds are invisible to the reader wherever they stand.
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') s += c;
    }
    if (s.size() >= 2 && s[0] == '&') {
        const char kind = upper_ascii(s[1]);
        const int radix = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
        if (radix == 0) return 0;
        uint64_t v = 0;
        for (std::size_t i = 2; i < s.size(); ++i) {
            const int d = radix_digit(s[i], radix);
            if (d < 0) break;
            accumulate(v, d, radix);
        }
        return radix_value(v);
    }

    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && is_digit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && is_digit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    std::size_t end = i;
    if (i < s.size() && (upper_ascii(s[i]) == 'E' || upper_ascii(s[i]) == 'D')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t exp_start = j;
        while (j < s.size() && is_digit(s[j]))
            ++j;
        if (j > exp_start) end = j;  // "1E" alone stops before the E
    }
    s.resize(end);
    if (s.back() == '.') s.pop_back();
    return decimal_value(s);
}

bool is_numeric(const Variant& v) {
    if (v.is_number()) return true;
    if (!v.is_string()) return false;
    const std::string t = text::trim(v.str());
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && is_digit(t[i]))
        ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && is_digit(t[i]))
            ++i, ++digits;
    }
    return digits > 0 && i == t.size();
}

bool loosely_equal(const Variant& a, const Variant& b) {
    auto numeric_kind = [](const Variant& v) {
        switch (v.kind()) {
            case VariantKind::Empty:
            case VariantKind::Integer:
            case VariantKind::Long:
            case VariantKind::Single:
            case VariantKind::Double:
            case VariantKind::Date:
            case VariantKind::Boolean:
                return true;
            default:
                return false;
        }
    };
    if (a.is_null() || b.is_null()) return false;
    if (a.is_string() && b.is_string()) return a.str() == b.str();
    if (numeric_kind(a) && numeric_kind(b)) return to_double(a) == to_double(b);
    if (a.is_string() || b.is_string()) {
        const Variant& s = a.is_string() ? a : b;
        const Variant& n = a.is_string() ? b : a;
        if (!numeric_kind(n)) return false;
        if (n.is_empty()) return s.str().empty();
        double d = 0;
        return parse_number_text(s.str(), d) && d == to_double(n);
    }
    return a == b;
}

}  // namespace ortiva
