#include "drivers/odbc/values.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

#include "drivers/odbc/errors.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva::odbc {

namespace {

// Texts up to this many bytes are bound whole; longer ones are read in pieces.
constexpr SQLULEN max_bound_text = 8000;
// What a long column is bound with: most long texts are short, and the rest are read whole.
constexpr std::size_t long_buffer = 512;

std::string column_text_attribute(const Statement& stmt, SQLUSMALLINT column, SQLUSMALLINT field) {
    char buffer[512] = {};
    SQLSMALLINT length = 0;
    // Drivers that cannot tell leave the text empty or fail; both mean "unknown".
    const SQLRETURN rc =
        SQLColAttribute(stmt.get(), column, field, buffer, sizeof buffer, &length, nullptr);
    if (!SQL_SUCCEEDED(rc)) return {};
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

bool is_char_type(SQLSMALLINT t) {
    return t == SQL_CHAR || t == SQL_VARCHAR || t == SQL_LONGVARCHAR || t == SQL_WCHAR ||
           t == SQL_WVARCHAR || t == SQL_WLONGVARCHAR;
}

ValueKind value_kind(SQLSMALLINT sql_type, SQLULEN size, const std::string& type_name) {
    switch (sql_type) {
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_TINYINT:
            return ValueKind::Int32;
        case SQL_BIGINT:
            return ValueKind::Int64;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return ValueKind::Double;
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            return ValueKind::Numeric;
        case SQL_BIT:
            return ValueKind::Bit;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return ValueKind::Timestamp;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return ValueKind::DateOnly;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return ValueKind::TimeOnly;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return ValueKind::Binary;
        case SQL_LONGVARCHAR:
        case SQL_WLONGVARCHAR:
            return ValueKind::LongText;
        default:
            break;
    }
    const std::string name = text::upper(type_name);
    if (is_char_type(sql_type) && (name == "BOOL" || name == "BOOLEAN")) return ValueKind::BoolText;
    return size == 0 || size > max_bound_text ? ValueKind::LongText : ValueKind::Text;
}

SQLSMALLINT read_c_type(ValueKind kind) {
    switch (kind) {
        case ValueKind::Int32:
            return SQL_C_SLONG;
        case ValueKind::Int64:
            return SQL_C_SBIGINT;
        case ValueKind::Double:
            return SQL_C_DOUBLE;
        case ValueKind::Bit:
            return SQL_C_BIT;
        case ValueKind::Timestamp:
            return SQL_C_TYPE_TIMESTAMP;
        case ValueKind::DateOnly:
            return SQL_C_TYPE_DATE;
        case ValueKind::TimeOnly:
            return SQL_C_TYPE_TIME;
        case ValueKind::Binary:
            return SQL_C_BINARY;
        default:
            return SQL_C_CHAR;
    }
}

std::size_t read_buffer_size(const Column& c) {
    switch (c.kind) {
        case ValueKind::Int32:
            return sizeof(SQLINTEGER);
        case ValueKind::Int64:
            return sizeof(SQLBIGINT);
        case ValueKind::Double:
            return sizeof(SQLDOUBLE);
        case ValueKind::Bit:
            return sizeof(SQLCHAR);
        case ValueKind::Timestamp:
            return sizeof(SQL_TIMESTAMP_STRUCT);
        case ValueKind::DateOnly:
            return sizeof(SQL_DATE_STRUCT);
        case ValueKind::TimeOnly:
            return sizeof(SQL_TIME_STRUCT);
        case ValueKind::Numeric:
            return std::max<std::size_t>(c.size + 4, 64);
        case ValueKind::BoolText:
            return 16;
        // Sizes count characters; in UTF-8 one may take four bytes.
        case ValueKind::Text:
            return std::max<std::size_t>(c.size * 4 + 1, 32);
        default:
            return long_buffer;
    }
}

template <typename T>
T load(const std::vector<char>& data) {
    T v;
    std::memcpy(&v, data.data(), sizeof v);
    return v;
}

// Whole numbers within 32 bits as Long, everything else as Double; text that is no number
// (a driver's special value) stays text.
Variant numeric_value(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    std::string_view digits = text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    double d = 0;
    const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), d);
    if (res.ec != std::errc() || res.ptr != digits.data() + digits.size()) {
        return Variant(std::string(text));
    }
    if (std::trunc(d) == d && d >= std::numeric_limits<int32_t>::min() &&
        d <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(d));
    }
    return Variant(d);
}

Variant bool_text_value(std::string_view text) {
    const std::string t = text::upper(std::string(text));
    if (t == "1" || t == "T" || t == "TRUE" || t == "Y" || t == "YES" || t == "ON") {
        return Variant(true);
    }
    if (t == "0" || t == "F" || t == "FALSE" || t == "N" || t == "NO" || t == "OFF") {
        return Variant(false);
    }
    return Variant(std::string(text));
}

Variant timestamp_value(const SQL_TIMESTAMP_STRUCT& ts) {
    Date d = Date::from_fields(ts.year, ts.month, ts.day, ts.hour, ts.minute, ts.second);
    // Before the epoch the fraction still counts forward from the (negative) day.
    const double part = ts.fraction / 1e9 / 86400.0;
    d.serial += d.serial < 0 ? -part : part;
    return Variant(d);
}

// Single values keep the decimal digits they were written with (1.1f binds as 1.1).
double widen(float f) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, f);
    double d = 0;
    std::from_chars(buf, res.ptr, d);
    return d;
}

double number_of(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Single:
            return widen(v.single());
        case VariantKind::Double:
            return v.dbl();
        default:
            return to_double(v);
    }
}

SQL_TIMESTAMP_STRUCT timestamp_of(Date d) {
    const auto f = d.fields();
    SQL_TIMESTAMP_STRUCT ts{};
    ts.year = static_cast<SQLSMALLINT>(f.year);
    ts.month = static_cast<SQLUSMALLINT>(f.month);
    ts.day = static_cast<SQLUSMALLINT>(f.day);
    ts.hour = static_cast<SQLUSMALLINT>(f.hour);
    ts.minute = static_cast<SQLUSMALLINT>(f.minute);
    ts.second = static_cast<SQLUSMALLINT>(f.second);
    return ts;
}

// The text a value binds as where it goes as text.
std::string bound_text(const Variant& v, const Column& column) {
    switch (v.kind()) {
        case VariantKind::Boolean:
            return v.boolean() ? "1" : "0";
        case VariantKind::Single:
        case VariantKind::Double: {
            const double d = number_of(v);
            // An integer column takes the nearest whole number, a half going to the even
            // one, as the classic conversions do; servers refuse "2.5" or "3e+09" there.
            const bool whole_column =
                column.kind == ValueKind::Int32 || column.kind == ValueKind::Int64;
            if (whole_column && std::fabs(d) < 9.2e18) {
                return std::to_string(static_cast<long long>(std::nearbyint(d)));
            }
            return exact_text(d);
        }
        case VariantKind::Date:
            return iso_text(v.date());
        case VariantKind::String:
            return v.str();
        default:
            return to_text(v);
    }
}

}  // namespace

std::vector<Column> describe(const Statement& stmt, std::string_view sql) {
    if (const Description& kept = stmt.described()) return *kept;
    const SQLSMALLINT n = stmt.result_columns(sql);
    std::vector<Column> columns(static_cast<std::size_t>(std::max<SQLSMALLINT>(n, 0)));
    std::vector<SQLCHAR> name(256);
    for (SQLUSMALLINT i = 1; i <= n; ++i) {
        Column& c = columns[i - 1];
        SQLSMALLINT length = 0, nullable = 0;
        auto describe_col = [&] {
            return SQLDescribeCol(stmt.get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()),
                                  &length, &c.sql_type, &c.size, &c.digits, &nullable);
        };
        SQLRETURN rc = describe_col();
        if (SQL_SUCCEEDED(rc) && length >= static_cast<SQLSMALLINT>(name.size())) {
            name.resize(static_cast<std::size_t>(length) + 1);
            rc = describe_col();
        }
        stmt.check(rc, sql);
        c.name.assign(reinterpret_cast<const char*>(name.data()),
                      std::min<std::size_t>(static_cast<std::size_t>(length), name.size() - 1));
        c.base_table = column_text_attribute(stmt, i, SQL_DESC_BASE_TABLE_NAME);
        if (c.base_table.empty())
            c.base_table = column_text_attribute(stmt, i, SQL_DESC_TABLE_NAME);
        c.base_schema = column_text_attribute(stmt, i, SQL_DESC_SCHEMA_NAME);
        c.base_column = column_text_attribute(stmt, i, SQL_DESC_BASE_COLUMN_NAME);
        c.kind = value_kind(c.sql_type, c.size, column_text_attribute(stmt, i, SQL_DESC_TYPE_NAME));
    }
    stmt.remember(std::make_shared<const std::vector<Column>>(columns));
    return columns;
}

// ---- RowReader ----

RowReader::RowReader(const Statement& stmt, const std::vector<Column>& columns,
                     std::string_view sql)
    : stmt_(stmt), columns_(columns), sql_(sql), buffers_(columns.size()) {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        buffers_[i].c_type = read_c_type(columns_[i].kind);
        buffers_[i].data.resize(read_buffer_size(columns_[i]));
    }
}

void RowReader::bind() {
    bound_ = stmt_.session().bind_columns;
    if (!bound_) return;
    for (std::size_t i = 0; i < buffers_.size(); ++i) {
        Buffer& b = buffers_[i];
        stmt_.check(SQLBindCol(stmt_.get(), static_cast<SQLUSMALLINT>(i + 1), b.c_type,
                               b.data.data(), static_cast<SQLLEN>(b.data.size()), &b.indicator),
                    sql_);
    }
}

bool RowReader::fetch() {
    const SQLRETURN rc = SQLFetch(stmt_.get());
    if (rc == SQL_NO_DATA) return false;
    // Truncation (01004) is expected for long columns and mended in convert().
    if (!SQL_SUCCEEDED(rc)) stmt_.check(rc, sql_);
    ++stmt_.session().rows_fetched;
    stmt_.count_row();
    for (auto& b : buffers_)
        b.read = false;
    if (!bound_) {
        // Without the GetData extensions columns must be read in order, each once.
        for (std::size_t i = 0; i < buffers_.size(); ++i)
            get_data(i);
    }
    return true;
}

void RowReader::get_data(std::size_t index) {
    Buffer& b = buffers_[index];
    const Column& c = columns_[index];
    if (b.c_type == SQL_C_CHAR || b.c_type == SQL_C_BINARY) {
        std::string whole = read_long(index, b.c_type);
        if (null_marker_) {
            null_marker_ = false;
            b.cached = Variant::null();
        } else if (c.kind == ValueKind::Numeric) {
            b.cached = numeric_value(whole);
        } else if (c.kind == ValueKind::BoolText) {
            b.cached = bool_text_value(whole);
        } else {
            b.cached = Variant(std::move(whole));
        }
    } else {
        stmt_.check(SQLGetData(stmt_.get(), static_cast<SQLUSMALLINT>(index + 1), b.c_type,
                               b.data.data(), static_cast<SQLLEN>(b.data.size()), &b.indicator),
                    sql_);
        b.cached = convert(index);
    }
    b.read = true;
}

std::string RowReader::read_long(std::size_t index, SQLSMALLINT c_type) {
    const auto column = static_cast<SQLUSMALLINT>(index + 1);
    const SQLLEN terminator = c_type == SQL_C_CHAR ? 1 : 0;
    std::string out;
    std::vector<char> piece(long_buffer * 8);
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc = SQLGetData(stmt_.get(), column, c_type, piece.data(),
                                        static_cast<SQLLEN>(piece.size()), &indicator);
        if (rc == SQL_NO_DATA) break;
        stmt_.check(rc, sql_);
        if (indicator == SQL_NULL_DATA) {
            null_marker_ = true;
            return {};
        }
        const SQLLEN room = static_cast<SQLLEN>(piece.size()) - terminator;
        const bool whole = indicator != SQL_NO_TOTAL && indicator <= room;
        out.append(piece.data(), static_cast<std::size_t>(whole ? indicator : room));
        if (whole) break;
        // The driver told how much is left: take it in one more call.
        if (indicator != SQL_NO_TOTAL) {
            piece.resize(static_cast<std::size_t>(indicator - room + terminator));
        }
    }
    return out;
}

bool RowReader::in_buffer(const Buffer& b) {
    if (b.indicator == SQL_NULL_DATA) return true;
    if (b.c_type != SQL_C_CHAR && b.c_type != SQL_C_BINARY) return true;
    const SQLLEN room = static_cast<SQLLEN>(b.data.size()) - (b.c_type == SQL_C_CHAR ? 1 : 0);
    return b.indicator != SQL_NO_TOTAL && b.indicator <= room;
}

Variant RowReader::convert(std::size_t index) {
    Buffer& b = buffers_[index];
    if (b.indicator == SQL_NULL_DATA) return Variant::null();
    const Column& c = columns_[index];
    switch (c.kind) {
        case ValueKind::Int32:
            return Variant(static_cast<int32_t>(load<SQLINTEGER>(b.data)));
        case ValueKind::Int64: {
            const auto i = load<SQLBIGINT>(b.data);
            if (i >= std::numeric_limits<int32_t>::min() &&
                i <= std::numeric_limits<int32_t>::max()) {
                return Variant(static_cast<int32_t>(i));
            }
            return Variant(static_cast<double>(i));
        }
        case ValueKind::Double:
            return Variant(load<SQLDOUBLE>(b.data));
        case ValueKind::Bit:
            return Variant(load<SQLCHAR>(b.data) != 0);
        case ValueKind::Timestamp:
            return timestamp_value(load<SQL_TIMESTAMP_STRUCT>(b.data));
        case ValueKind::DateOnly: {
            const auto d = load<SQL_DATE_STRUCT>(b.data);
            return Variant(Date::from_fields(d.year, d.month, d.day));
        }
        case ValueKind::TimeOnly: {
            const auto t = load<SQL_TIME_STRUCT>(b.data);
            return Variant(Date::from_fields(1899, 12, 30, t.hour, t.minute, t.second));
        }
        default:
            break;
    }
    std::string text;
    if (!in_buffer(b)) {
        // Did not fit the bound buffer: read it whole.
        text = read_long(index, b.c_type);
        if (null_marker_) {
            null_marker_ = false;
            return Variant::null();
        }
    } else {
        text.assign(b.data.data(), static_cast<std::size_t>(b.indicator));
    }
    if (c.kind == ValueKind::Numeric) return numeric_value(text);
    if (c.kind == ValueKind::BoolText) return bool_text_value(text);
    return Variant(std::move(text));
}

Variant RowReader::value(std::size_t index) {
    Buffer& b = buffers_[index];
    if (b.read) return b.cached;
    // A value whole in its bound buffer stays there until the next fetch: converted on each
    // call, it costs no second copy. Only what SQLGetData read must be kept.
    if (bound_ && in_buffer(b)) return convert(index);
    b.cached = convert(index);
    b.read = true;
    return b.cached;
}

std::vector<Variant> RowReader::row() {
    std::vector<Variant> out;
    out.reserve(buffers_.size());
    for (std::size_t i = 0; i < buffers_.size(); ++i)
        out.push_back(value(i));
    return out;
}

// ---- values written ----

Variant storable_value(const Variant& v, const Column& column) {
    if (detail::stores_as_null(v, error_source)) return Variant::null();
    switch (column.kind) {
        case ValueKind::Timestamp:
        case ValueKind::DateOnly:
        case ValueKind::TimeOnly:
            return detail::storable_date(v);
        case ValueKind::Bit:
        case ValueKind::BoolText:
            return detail::storable_bool(v);
        default:
            return v;
    }
}

SQLSMALLINT ParameterSet::c_type(const Variant& v, const Column& column) {
    switch (v.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return 0;
        case VariantKind::Integer:
        case VariantKind::Long:
            return SQL_C_SLONG;
        case VariantKind::Boolean:
            if (column.kind == ValueKind::Bit) return SQL_C_BIT;
            return column.is_text() || column.kind == ValueKind::BoolText ? SQL_C_CHAR
                                                                          : SQL_C_SLONG;
        case VariantKind::Date:
            return column.is_text() ? SQL_C_CHAR : SQL_C_TYPE_TIMESTAMP;
        default:
            // Doubles travel as their shortest exact text: drivers that format a C double
            // themselves round it to 15 digits.
            return SQL_C_CHAR;
    }
}

void ParameterSet::bind(const Statement& stmt, const std::vector<const Column*>& targets,
                        const std::vector<std::vector<Variant>>& rows, std::size_t first,
                        std::size_t count, std::string_view sql) {
    arrays_.assign(targets.size(), Array{});
    for (std::size_t p = 0; p < targets.size(); ++p) {
        const Column& column = *targets[p];
        Array& a = arrays_[p];
        a.c_type = 0;
        std::size_t longest = 0;
        std::vector<std::string> texts;
        for (std::size_t r = first; r < first + count; ++r) {
            const SQLSMALLINT t = c_type(rows[r][p], column);
            if (t && !a.c_type) a.c_type = t;
        }
        if (!a.c_type) a.c_type = SQL_C_CHAR;
        if (a.c_type == SQL_C_CHAR) {
            texts.resize(count);
            for (std::size_t r = 0; r < count; ++r) {
                const Variant& v = rows[first + r][p];
                if (v.is_null() || v.is_empty()) continue;
                texts[r] = bound_text(v, column);
                longest = std::max(longest, texts[r].size());
            }
        }
        switch (a.c_type) {
            case SQL_C_SLONG:
                a.width = sizeof(SQLINTEGER);
                break;
            case SQL_C_BIT:
                a.width = sizeof(SQLCHAR);
                break;
            case SQL_C_TYPE_TIMESTAMP:
                a.width = sizeof(SQL_TIMESTAMP_STRUCT);
                break;
            default:
                a.width = static_cast<SQLLEN>(longest + 1);
                break;
        }
        a.data.assign(static_cast<std::size_t>(a.width) * count, 0);
        a.indicators.assign(count, SQL_NULL_DATA);
        for (std::size_t r = 0; r < count; ++r) {
            const Variant& v = rows[first + r][p];
            if (v.is_null() || v.is_empty()) continue;
            char* slot = a.data.data() + r * static_cast<std::size_t>(a.width);
            switch (a.c_type) {
                case SQL_C_SLONG: {
                    const SQLINTEGER i =
                        v.kind() == VariantKind::Boolean ? (v.boolean() ? 1 : 0) : to_int32(v);
                    std::memcpy(slot, &i, sizeof i);
                    a.indicators[r] = sizeof i;
                    break;
                }
                case SQL_C_BIT: {
                    const SQLCHAR b = v.boolean() ? 1 : 0;
                    std::memcpy(slot, &b, sizeof b);
                    a.indicators[r] = sizeof b;
                    break;
                }
                case SQL_C_TYPE_TIMESTAMP: {
                    const SQL_TIMESTAMP_STRUCT ts = timestamp_of(v.date());
                    std::memcpy(slot, &ts, sizeof ts);
                    a.indicators[r] = sizeof ts;
                    break;
                }
                default:
                    std::memcpy(slot, texts[r].data(), texts[r].size());
                    a.indicators[r] = static_cast<SQLLEN>(texts[r].size());
                    break;
            }
        }
        SQLULEN size = column.size;
        SQLSMALLINT digits = 0;
        if (is_char_type(column.sql_type) || column.is_long()) {
            size = std::max<SQLULEN>({size, longest, 1});
        } else if (column.kind == ValueKind::Timestamp || column.kind == ValueKind::Numeric ||
                   column.kind == ValueKind::TimeOnly) {
            digits = column.digits;
        }
        if (column.kind == ValueKind::Timestamp && size == 0) size = 19;
        stmt.check(SQLBindParameter(stmt.get(), static_cast<SQLUSMALLINT>(p + 1), SQL_PARAM_INPUT,
                                    a.c_type, column.sql_type, size, digits, a.data.data(), a.width,
                                    a.indicators.data()),
                   sql);
    }
}

std::string exact_text(double d) {
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, d);
    return std::string(buf, res.ptr);
}

}  // namespace ortiva::odbc
