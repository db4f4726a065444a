#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ortiva/date.hpp"
#include "ortiva/export.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

// Conversions of a Variant to the other kinds, after the classic BASIC run time. Every failure
// is an ErrorInfo: 13 type mismatch (text that is not a number, an object, an array, an
// error value), 6 overflow (a result outside the target's range), 94 invalid use of Null.

/// The text form (CStr): Double with up to 15 significant digits and Single with up to 7,
/// trailing zeros dropped, in exponent form ("1E+20", "1E-05") when the decimal exponent is
/// below -4 or not below that digit count; Booleans as "True" and "False", dates by
/// Date::to_text, Empty as "". Null fails with 94; objects, arrays and error values with 13.
ORTIVA_API std::string to_text(const Variant& v);
/// As to_text; a String held is moved out rather than copied.
ORTIVA_API std::string to_text(Variant&& v);
/// The text form used when a value is joined to a text: as to_text, but Null gives "".
ORTIVA_API std::string join_text(const Variant& v);

/// CBool: numbers are true when not 0; the texts "True"/"False" (any case) and numeric text.
ORTIVA_API bool to_bool(const Variant& v);
/// CInt and CLng: round half to even, 6 outside the range. Text must be wholly numeric
/// after trimming spaces (a decimal number with optional sign, point and exponent E or D, or
/// an &H / &O literal), else 13; the leading-number rule does not apply here. True is -1.
ORTIVA_API int16_t to_int16(const Variant& v);
ORTIVA_API int32_t to_int32(const Variant& v);
ORTIVA_API float to_single(const Variant& v);
ORTIVA_API double to_double(const Variant& v);
/// CDate: numbers are serial dates; text goes through Date::parse.
ORTIVA_API Date to_date(const Variant& v);

/// Rounds to the nearest whole number, an exact half going to the even neighbour; fails with
/// 6 outside the 32-bit (or 16-bit) range.
ORTIVA_API int32_t round_to_int32(double x);
ORTIVA_API int16_t round_to_int16(double x);

/// The leading-number rule (Val): blanks, tabs and line feeds are skipped anywhere; an
/// optional sign, digits, one period and an exponent (E or D) are read up to the first
/// character that cannot continue the number; "&H" and "&O" introduce hexadecimal and octal
/// integers; a text without a leading number gives 0. The ampersand must come first ("-&H1F"
/// gives 0); literals of up to 16 bits are 16-bit ("&HFFFF" is -1). A number too large for a
/// Double, or a literal wider than 32 bits, fails with 6.
ORTIVA_API double leading_number(std::string_view text);

/// True for a number, or a text that is a plain decimal number with an optional sign,
/// decimal part and surrounding spaces. The empty text is not numeric.
ORTIVA_API bool is_numeric(const Variant& v);

/// The run time's loose equality used where the library compares a value with a number or a
/// text (numeric comparison when both sides are numbers, text comparison otherwise).
ORTIVA_API bool loosely_equal(const Variant& a, const Variant& b);

}  // namespace ortiva
