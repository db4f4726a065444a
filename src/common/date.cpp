#include "ortiva/date.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <ctime>
#include <optional>

#include "ortiva/error_info.hpp"

namespace ortiva {

namespace {

constexpr int min_year = 100;
constexpr int max_year = 9999;

// Days from 1970-01-01 in the proleptic Gregorian calendar.
int64_t days_from_civil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

const int64_t epoch_days = days_from_civil(1899, 12, 30);

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int days_in_month(int y, int m) {
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leap(y) ? 29 : days[m - 1];
}

bool valid_fields(int y, int mo, int d, int h, int mi, int s) {
    return y >= min_year && y <= max_year && mo >= 1 && mo <= 12 && d >= 1 &&
           d <= days_in_month(y, mo) && h >= 0 && h <= 23 && mi >= 0 && mi <= 59 && s >= 0 &&
           s <= 59;
}

Date make(int y, int mo, int d, int h, int mi, int s) {
    const double day = static_cast<double>(days_from_civil(y, mo, d) - epoch_days);
    const double time = (h * 3600.0 + mi * 60.0 + s) / 86400.0;
    // Before the epoch the whole part counts back but the time still counts forward.
    return Date(day < 0 ? day - time : day + time);
}

void append_number(std::string& out, int value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) {
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    }
    out += digits;
}

// A small cursor over the text being parsed.
struct Reader {
    std::string_view s;
    std::size_t pos = 0;

    bool done() const { return pos >= s.size(); }
    char peek() const { return done() ? '\0' : s[pos]; }
    void skip_spaces() {
        while (!done() && s[pos] == ' ')
            ++pos;
    }
    bool accept(char c) {
        if (peek() != c) return false;
        ++pos;
        return true;
    }
    // Reads 1 to max_digits digits.
    std::optional<int> number(int max_digits) {
        int value = 0;
        int n = 0;
        while (n < max_digits && std::isdigit(static_cast<unsigned char>(peek()))) {
            value = value * 10 + (s[pos] - '0');
            ++pos;
            ++n;
        }
        if (n == 0) return std::nullopt;
        return value;
    }
    std::size_t digits_ahead() const {
        std::size_t n = 0;
        while (pos + n < s.size() && std::isdigit(static_cast<unsigned char>(s[pos + n])))
            ++n;
        return n;
    }
};

struct Time {
    int hour = 0, minute = 0, second = 0;
};

// "hh:mm" or "hh:mm:ss", optionally followed by AM or PM.
std::optional<Time> read_time(Reader& r) {
    Time t;
    auto h = r.number(2);
    if (!h || !r.accept(':')) return std::nullopt;
    auto m = r.number(2);
    if (!m) return std::nullopt;
    t.hour = *h;
    t.minute = *m;
    if (r.accept(':')) {
        auto sec = r.number(2);
        if (!sec) return std::nullopt;
        t.second = *sec;
    }
    r.skip_spaces();
    if (!r.done()) {
        const auto rest = r.s.substr(r.pos);
        if (rest.size() != 2 || std::toupper(static_cast<unsigned char>(rest[1])) != 'M') {
            return std::nullopt;
        }
        const char ap = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
        if ((ap != 'A' && ap != 'P') || t.hour < 1 || t.hour > 12) return std::nullopt;
        if (t.hour == 12) t.hour = 0;
        if (ap == 'P') t.hour += 12;
        r.pos = r.s.size();
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

// Two-digit years: 00-29 are 2000-2029, 30-99 are 1930-1999.
int full_year(int year, std::size_t digits) {
    if (digits > 2) return year;
    return year < 30 ? 2000 + year : 1900 + year;
}

std::optional<Date> parse_text(std::string_view text) {
    Reader r{text};
    r.skip_spaces();
    while (!r.s.empty() && r.s.back() == ' ')
        r.s.remove_suffix(1);
    if (r.done()) return std::nullopt;

    int y = 0, mo = 0, d = 0;
    const std::size_t lead = r.digits_ahead();
    const char after = lead < r.s.size() - r.pos ? r.s[r.pos + lead] : '\0';
    if (after == ':') {
        auto t = read_time(r);
        if (!t || !r.done()) return std::nullopt;
        return Date((t->hour * 3600.0 + t->minute * 60.0 + t->second) / 86400.0);
    }
    if (lead == 4 && after == '-') {
        y = *r.number(4);
        r.accept('-');
        auto m = r.number(2);
        if (!m || !r.accept('-')) return std::nullopt;
        auto dd = r.number(2);
        if (!dd) return std::nullopt;
        mo = *m;
        d = *dd;
    } else if ((lead == 1 || lead == 2) && (after == '/' || after == '-' || after == '.')) {
        d = *r.number(2);
        r.accept(after);
        auto m = r.number(2);
        if (!m || !r.accept(after)) return std::nullopt;
        const std::size_t year_digits = r.digits_ahead();
        if (year_digits != 2 && year_digits != 4) return std::nullopt;
        y = full_year(*r.number(4), year_digits);
        mo = *m;
    } else {
        return std::nullopt;
    }

    Time t;
    if (!r.done()) {
        if (!r.accept('T') && !r.accept(' ')) return std::nullopt;
        r.skip_spaces();
        auto read = read_time(r);
        if (!read || !r.done()) return std::nullopt;
        t = *read;
    }
    if (!valid_fields(y, mo, d, t.hour, t.minute, t.second)) return std::nullopt;
    return make(y, mo, d, t.hour, t.minute, t.second);
}

}  // namespace

Date Date::from_fields(int year, int month, int day, int hour, int minute, int second) {
    if (!valid_fields(year, month, day, hour, minute, second)) raise(err::invalid_call);
    return make(year, month, day, hour, minute, second);
}

Date Date::now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return make(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                std::min(local.tm_sec, 59));
}

Date::Fields Date::fields() const {
    if (!std::isfinite(serial)) raise(err::overflow);
    const double whole = std::trunc(serial);
    if (whole < -1e7 || whole > 1e7) raise(err::overflow);
    auto day = static_cast<int64_t>(whole);
    auto secs = static_cast<int64_t>(std::llround(std::fabs(serial - whole) * 86400.0));
    if (secs >= 86400) {
        ++day;
        secs -= 86400;
    }
    Fields f{};
    civil_from_days(day + epoch_days, f.year, f.month, f.day);
    f.hour = static_cast<int>(secs / 3600);
    f.minute = static_cast<int>(secs / 60 % 60);
    f.second = static_cast<int>(secs % 60);
    return f;
}

std::string Date::format(std::string_view pattern) const {
    const Fields f = fields();
    std::string out;
    bool after_hour = false;
    auto token = [&](std::size_t i, std::string_view name) {
        if (i + name.size() > pattern.size()) return false;
        for (std::size_t k = 0; k < name.size(); ++k) {
            if (std::tolower(static_cast<unsigned char>(pattern[i + k])) != name[k]) return false;
        }
        return true;
    };
    for (std::size_t i = 0; i < pattern.size();) {
        if (token(i, "yyyy")) {
            append_number(out, f.year, 4);
            i += 4;
            after_hour = false;
        } else if (token(i, "dd")) {
            append_number(out, f.day, 2);
            i += 2;
            after_hour = false;
        } else if (token(i, "hh")) {
            append_number(out, f.hour, 2);
            i += 2;
            after_hour = true;
        } else if (token(i, "nn")) {
            append_number(out, f.minute, 2);
            i += 2;
            after_hour = false;
        } else if (token(i, "ss")) {
            append_number(out, f.second, 2);
            i += 2;
            after_hour = false;
        } else if (token(i, "mm")) {
            // Minutes right after the hour, or right before the seconds ("mm:ss").
            const bool minutes = after_hour || token(i + 2, "ss") || token(i + 2, ":ss");
            append_number(out, minutes ? f.minute : f.month, 2);
            i += 2;
            after_hour = false;
        } else {
            if (pattern[i] != ':' && pattern[i] != ' ') after_hour = false;
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

std::string Date::to_text() const {
    const Fields f = fields();
    const bool midnight = f.hour == 0 && f.minute == 0 && f.second == 0;
    if (f.year == 1899 && f.month == 12 && f.day == 30) return format("hh:nn:ss");
    if (midnight) return format("yyyy-mm-dd");
    return format("yyyy-mm-dd hh:nn:ss");
}

Date Date::parse(std::string_view text) {
    Date d;
    if (!try_parse(text, d)) raise(err::type_mismatch);
    return d;
}

bool Date::try_parse(std::string_view text, Date& out) {
    const auto d = parse_text(text);
    if (!d) return false;
    out = *d;
    return true;
}

}  // namespace ortiva
