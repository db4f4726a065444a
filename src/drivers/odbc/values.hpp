#pragma once

// Variant <-> ODBC: how a result column is read, and how assigned values are bound as
// parameters. Texts travel as SQL_C_CHAR in UTF-8; numbers and dates in typed C buffers
// where that is exact.

#include <sql.h>
#include <sqlext.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "drivers/odbc/session.hpp"
#include "ortiva/date.hpp"
#include "ortiva/variant.hpp"
#include "seams/data/core/cursors.hpp"

namespace ortiva::odbc {

/// How a column's values are read and what its written values are brought to.
enum class ValueKind {
    Int32,     // SMALLINT, INTEGER, TINYINT: Long
    Int64,     // BIGINT: Long where it fits, else Double
    Double,    // REAL, FLOAT, DOUBLE
    Numeric,   // NUMERIC, DECIMAL: Long when integral and within 32 bits, else Double
    Bit,       // BIT: Boolean
    BoolText,  // a boolean the driver describes as text ("1"/"0", "true"/"false")
    Timestamp,
    DateOnly,
    TimeOnly,
    Text,
    LongText,
    Binary,
};

/// A result column as the cursor sees it.
struct Column {
    std::string name;  // the label
    SQLSMALLINT sql_type = SQL_VARCHAR;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    ValueKind kind = ValueKind::Text;
    std::string base_table;   // where the driver names it, else ""
    std::string base_schema;  // likewise
    std::string base_column;  // likewise

    bool is_long() const { return kind == ValueKind::LongText || kind == ValueKind::Binary; }
    bool is_text() const { return kind == ValueKind::Text || kind == ValueKind::LongText; }
};

/// Describes the result columns of an executed or prepared statement.
std::vector<Column> describe(const Statement& stmt, std::string_view sql);

/// Reads the rows of an executed statement. With the session's bind_columns, every column is
/// bound (long ones with a small buffer, read whole with SQLGetData only when they do not
/// fit); otherwise each row is read with SQLGetData in column order as it is fetched.
class RowReader {
  public:
    RowReader(const Statement& stmt, const std::vector<Column>& columns, std::string_view sql);
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    /// Binds the buffers; call after each execution of the statement.
    void bind();
    /// SQLFetch: true on a row, false at the end.
    bool fetch();
    /// The value of column index in the row last fetched.
    Variant value(std::size_t index);
    /// Every value of the row last fetched.
    std::vector<Variant> row();

  private:
    struct Buffer {
        SQLSMALLINT c_type = SQL_C_CHAR;
        std::vector<char> data;
        SQLLEN indicator = SQL_NULL_DATA;
        bool read = false;  // unbound: read with SQLGetData for this row
        Variant cached;
    };
    static bool in_buffer(const Buffer& b);
    Variant convert(std::size_t index);
    void get_data(std::size_t index);
    std::string read_long(std::size_t index, SQLSMALLINT c_type);

    const Statement& stmt_;
    const std::vector<Column>& columns_;
    std::string sql_;
    std::vector<Buffer> buffers_;
    bool bound_ = false;
    bool null_marker_ = false;  // set by read_long for a NULL value
};

/// A value as the column keeps it: Null for Empty; numbers into date columns become Dates,
/// texts into date columns Dates when they read as one, numbers and truth texts into boolean
/// columns Booleans. Objects, arrays and error values fail with 3421.
Variant storable_value(const Variant& v, const Column& column);

/// Binds the values of rows [first, first + count) as the parameters of a prepared statement:
/// parameter p takes rows[r][p] and is written to targets[p]. With count > 1 the values go
/// column-wise as parameter arrays. Every row of the range must have compatible_kinds.
class ParameterSet {
  public:
    void bind(const Statement& stmt, const std::vector<const Column*>& targets,
              const std::vector<std::vector<Variant>>& rows, std::size_t first, std::size_t count,
              std::string_view sql);

    /// The C type a value binds as in a column; rows bind together only where, parameter by
    /// parameter, these agree or one of them is Null.
    static SQLSMALLINT c_type(const Variant& v, const Column& column);

  private:
    struct Array {
        SQLSMALLINT c_type = SQL_C_CHAR;
        SQLLEN width = 0;
        std::vector<char> data;
        std::vector<SQLLEN> indicators;
    };
    std::vector<Array> arrays_;
};

using detail::iso_text;
/// The shortest text that reads back as exactly d.
std::string exact_text(double d);

}  // namespace ortiva::odbc
