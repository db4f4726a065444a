#pragma once

// Variant <-> SQLite: how a column's value reads back, and what a value written binds.

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "ortiva/date.hpp"
#include "ortiva/variant.hpp"
#include "seams/data/core/cursors.hpp"

namespace ortiva::sqlite {

/// What a column's declared type asks of its values; everything else is typed by storage class.
/// Expression columns have no declared type: only their text may carry getdate()'s mark.
enum class ColumnKind { Plain, Date, Boolean, Expression };

/// DATE, DATETIME, TIME and TIMESTAMP give Date; BIT and BOOLEAN give Boolean; no declared type
/// gives Expression.
ColumnKind column_kind(const char* declared_type);

/// The subtype getdate() marks its text with, so that "select getdate()" reads as a Date.
inline constexpr unsigned int date_subtype = 'D';

/// The value of a result column: INTEGER in the 32-bit range as Long and beyond it as Double,
/// REAL as Double, TEXT as String, NULL as Null; Date and Boolean columns as their kind where
/// the stored value allows it.
Variant read_value(sqlite3_stmt* stmt, int column, ColumnKind kind);

/// A value assigned to a column, brought to what the column keeps (text into a Date column
/// becomes a Date when it reads as one, numbers into a Boolean column become Boolean).
/// Objects, arrays and error values fail with 3421.
Variant storable_value(const Variant& v, ColumnKind kind, std::string_view column);

/// Binds a storable value: Null, integers, Single and Double as REAL, Boolean as 1 or 0, text,
/// Date as ISO text "yyyy-mm-dd hh:mm:ss". Throws ErrorInfo when SQLite refuses.
void bind_value(sqlite3* db, sqlite3_stmt* stmt, int index, const Variant& v);

using detail::iso_text;
/// Reads "yyyy-mm-dd", "yyyy-mm-dd hh:mm[:ss[.fff]]" (or with 'T'), and "hh:mm[:ss[.fff]]".
bool parse_iso(std::string_view text, Date& out);

}  // namespace ortiva::sqlite
