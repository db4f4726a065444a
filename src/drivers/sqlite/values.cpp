#include "drivers/sqlite/values.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "drivers/sqlite/errors.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"

namespace ortiva::sqlite {

namespace {

constexpr const char* wrong_type_text =
    "Application uses a value of the wrong type for the current operation.";

// Reads exactly `digits` decimal digits at pos.
bool read_digits(std::string_view s, std::size_t& pos, std::size_t digits, int& out) {
    if (pos + digits > s.size()) return false;
    int v = 0;
    for (std::size_t i = 0; i < digits; ++i) {
        const char c = s[pos + i];
        if (c < '0' || c > '9') return false;
        v = v * 10 + (c - '0');
    }
    pos += digits;
    out = v;
    return true;
}

bool read_time(std::string_view s, std::size_t& pos, int& h, int& mi, int& sec, double& frac) {
    if (!read_digits(s, pos, 2, h) || pos >= s.size() || s[pos++] != ':' ||
        !read_digits(s, pos, 2, mi)) {
        return false;
    }
    sec = 0;
    frac = 0.0;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!read_digits(s, pos, 2, sec)) return false;
        if (pos < s.size() && s[pos] == '.') {
            double scale = 0.1;
            ++pos;
            const std::size_t start = pos;
            while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9') {
                frac += (s[pos] - '0') * scale;
                scale /= 10;
                ++pos;
            }
            if (pos == start) return false;
        }
    }
    return true;
}

// Single values keep the decimal digits they were written with (1.1f binds as 1.1).
double widen(float f) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, f);
    *res.ptr = '\0';
    return std::strtod(buf, nullptr);
}

}  // namespace

ColumnKind column_kind(const char* declared_type) {
    if (!declared_type) return ColumnKind::Expression;
    std::string word;
    for (const char* p = declared_type; *p; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (std::isspace(c) && word.empty()) continue;
        if (!std::isalnum(c) && c != '_') break;
        word.push_back(static_cast<char>(std::toupper(c)));
    }
    if (word == "DATE" || word == "DATETIME" || word == "TIME" || word == "TIMESTAMP") {
        return ColumnKind::Date;
    }
    if (word == "BIT" || word == "BOOLEAN") return ColumnKind::Boolean;
    return ColumnKind::Plain;
}

Variant read_value(sqlite3_stmt* stmt, int column, ColumnKind kind) {
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL:
            return Variant::null();
        case SQLITE_INTEGER: {
            const sqlite3_int64 i = sqlite3_column_int64(stmt, column);
            if (kind == ColumnKind::Boolean) return Variant(i != 0);
            if (i >= std::numeric_limits<int32_t>::min() &&
                i <= std::numeric_limits<int32_t>::max()) {
                return Variant(static_cast<int32_t>(i));
            }
            return Variant(static_cast<double>(i));
        }
        case SQLITE_FLOAT: {
            const double d = sqlite3_column_double(stmt, column);
            if (kind == ColumnKind::Boolean) return Variant(d != 0.0);
            return Variant(d);
        }
        case SQLITE_TEXT: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
            const std::string_view text(
                p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)));
            if (kind == ColumnKind::Date ||
                (kind == ColumnKind::Expression &&
                 sqlite3_value_subtype(sqlite3_column_value(stmt, column)) == date_subtype)) {
                Date d;
                if (parse_iso(text, d)) return Variant(d);
            }
            return Variant(std::string(text));
        }
        default: {
            // A blob has no Variant kind of its own: its bytes travel as text, unchanged.
            const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, column));
            const auto n = static_cast<std::size_t>(sqlite3_column_bytes(stmt, column));
            return Variant(std::string(p ? p : "", p ? n : 0));
        }
    }
}

Variant storable_value(const Variant& v, ColumnKind kind, std::string_view /*column*/) {
    if (detail::stores_as_null(v, error_source)) return Variant::null();
    if (kind == ColumnKind::Date) return detail::storable_date(v);
    if (kind == ColumnKind::Boolean) return detail::storable_bool(v);
    return v;
}

void bind_value(sqlite3* db, sqlite3_stmt* stmt, int index, const Variant& v) {
    int rc = SQLITE_OK;
    switch (v.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            rc = sqlite3_bind_null(stmt, index);
            break;
        case VariantKind::Integer:
            rc = sqlite3_bind_int(stmt, index, v.integer());
            break;
        case VariantKind::Long:
            rc = sqlite3_bind_int(stmt, index, v.long_value());
            break;
        case VariantKind::Single:
            rc = sqlite3_bind_double(stmt, index, widen(v.single()));
            break;
        case VariantKind::Double:
            rc = sqlite3_bind_double(stmt, index, v.dbl());
            break;
        case VariantKind::Boolean:
            rc = sqlite3_bind_int(stmt, index, v.boolean() ? 1 : 0);
            break;
        case VariantKind::Date: {
            const std::string text = iso_text(v.date());
            rc = sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        }
        case VariantKind::String: {
            const std::string& text = v.str();
            rc = sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT,
                                     SQLITE_UTF8);
            break;
        }
        default:
            refuse(code::wrong_type, wrong_type_text);
    }
    if (rc != SQLITE_OK) {
        const char* sql = sqlite3_sql(stmt);
        raise_error(db, rc, sql ? sql : "");
    }
}

bool parse_iso(std::string_view s, Date& out) {
    std::size_t pos = 0;
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, sec = 0;
    double frac = 0.0;
    const bool has_date = s.size() >= 10 && s[4] == '-';
    if (has_date) {
        if (!read_digits(s, pos, 4, y) || s[pos++] != '-' || !read_digits(s, pos, 2, mo) ||
            pos >= s.size() || s[pos++] != '-' || !read_digits(s, pos, 2, d)) {
            return false;
        }
        if (pos < s.size()) {
            if (s[pos] != ' ' && s[pos] != 'T') return false;
            ++pos;
            if (!read_time(s, pos, h, mi, sec, frac)) return false;
        }
    } else if (!read_time(s, pos, h, mi, sec, frac)) {
        return false;
    }
    if (pos != s.size()) return false;
    if (h > 23 || mi > 59 || sec > 59) return false;
    try {
        out = Date::from_fields(y, mo, d, h, mi, sec);
    } catch (const ErrorInfo&) {
        return false;
    }
    // Before the epoch the fraction still counts forward from the (negative) day.
    const double part = frac / 86400.0;
    out.serial += out.serial < 0 ? -part : part;
    return true;
}

}  // namespace ortiva::sqlite
