#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "ortiva/export.hpp"

namespace ortiva {

/// The one exception type of the library. It carries the five values a caller relies on
/// (number, source, description, help file, help context) and, for database failures, the
/// native code, the SQLSTATE where the driver has one, and the statement that failed.
/// what() returns the description.
class ORTIVA_API ErrorInfo : public std::exception {
  public:
    ErrorInfo() = default;
    /// An error with the given values; the description is used as given (no standard text).
    ErrorInfo(int32_t number, std::string source, std::string description,
              std::string help_file = {}, int32_t help_context = 0);

    /// The error number (see namespace err).
    int32_t number() const noexcept { return number_; }
    /// Where the error was raised (the component or procedure name).
    const std::string& source() const noexcept { return source_; }
    /// The message; also returned by what().
    const std::string& description() const noexcept { return description_; }
    /// The help file named with the error, if any.
    const std::string& help_file() const noexcept { return help_file_; }
    /// The help context id within help_file().
    int32_t help_context() const noexcept { return help_context_; }

    /// The driver's native error code (0 when none).
    int32_t native_error() const noexcept { return native_error_; }
    /// The driver's SQLSTATE (empty when the driver gave none).
    const std::string& sqlstate() const noexcept { return sqlstate_; }
    /// The SQL statement that failed (empty when none).
    const std::string& statement() const noexcept { return statement_; }

    /// Records the driver's native code and SQLSTATE; returns *this for chaining.
    ErrorInfo& with_native(int32_t native_error, std::string sqlstate = {});
    /// Records the failed statement; returns *this for chaining.
    ErrorInfo& with_statement(std::string statement);
    /// Replaces the description; returns *this for chaining.
    ErrorInfo& with_description(std::string description);

    /// The description, valid while this object lives and is not changed.
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    int32_t number_ = 0;
    std::string source_;
    std::string description_;
    std::string help_file_;
    int32_t help_context_ = 0;
    int32_t native_error_ = 0;
    std::string sqlstate_;
    std::string statement_;
};

/// Well-known numbers callers rely on.
namespace err {
/// Invalid procedure call or argument.
inline constexpr int32_t invalid_call = 5;
/// Overflow.
inline constexpr int32_t overflow = 6;
/// Out of memory.
inline constexpr int32_t out_of_memory = 7;
/// Subscript out of range.
inline constexpr int32_t subscript = 9;
/// Type mismatch.
inline constexpr int32_t type_mismatch = 13;
/// Object variable not set.
inline constexpr int32_t object_not_set = 91;
/// Invalid use of Null.
inline constexpr int32_t invalid_null = 94;
/// Invalid property value.
inline constexpr int32_t invalid_property_value = 380;
/// Invalid property array index.
inline constexpr int32_t invalid_property_index = 381;
/// Set not supported (read-only property).
inline constexpr int32_t read_only_property = 383;
/// Set not permitted.
inline constexpr int32_t set_not_permitted = 387;
/// Object required.
inline constexpr int32_t object_required = 424;
/// Can't create object.
inline constexpr int32_t cannot_create_object = 429;
/// Object doesn't support this property or method.
inline constexpr int32_t no_such_member = 438;
/// Argument not optional.
inline constexpr int32_t argument_not_optional = 449;
/// Wrong number of arguments or invalid property assignment.
inline constexpr int32_t wrong_argument_count = 450;
/// The property can't be read (it has a let and no get).
inline constexpr int32_t no_property_get = 451;
/// Variable uses a type the host interface does not support.
inline constexpr int32_t unsupported_type = 458;
/// A form has no control of that name.
inline constexpr int32_t control_not_found = 730;
/// Application-defined or object-defined error (0x80040001).
inline constexpr int32_t app_defined = -2147221503;  // 0x80040001
/// Arguments of the wrong type, out of range or in conflict.
inline constexpr int32_t ado_wrong_arguments = 3001;
/// No current record (before the first or after the last, or deleted).
inline constexpr int32_t ado_bof_eof = 3021;
/// Item not found in the collection.
inline constexpr int32_t ado_item_not_found = 3265;
/// Operation not allowed when the object is closed.
inline constexpr int32_t ado_object_closed = 3704;
/// Operation not allowed when the object is open.
inline constexpr int32_t ado_object_open = 3705;
/// No driver for the connection string.
inline constexpr int32_t ado_provider_not_found = 3706;
/// The connection cannot be used (closed or invalid).
inline constexpr int32_t ado_connection_unusable = 3709;
/// Error reported by the database driver (0x80040E14).
inline constexpr int32_t ado_provider_error = -2147217900;  // 0x80040E14
/// Integrity constraint violated (0x80040E2F).
inline constexpr int32_t ado_integrity_violation = -2147217873;  // 0x80040E2F
/// Control collection index out of bounds.
inline constexpr int32_t ctl_index_out_of_bounds = 35600;
/// Control collection element not found.
inline constexpr int32_t ctl_element_not_found = 35601;
/// Control collection key is not unique.
inline constexpr int32_t ctl_key_not_unique = 35602;
/// The control (row, node) has been deleted.
inline constexpr int32_t ctl_deleted = 35605;
/// A grid's Row out of range.
inline constexpr int32_t grid_invalid_row = 30009;
/// A grid's Col out of range.
inline constexpr int32_t grid_invalid_col = 30010;
}  // namespace err

/// The run time's standard text for a number ("Overflow" for 6, ...), or
/// "Application-defined or object-defined error" for numbers it does not know.
ORTIVA_API std::string standard_description(int32_t number);

/// Throws ErrorInfo(number) with the standard text and the given source.
[[noreturn]] ORTIVA_API void raise(int32_t number, std::string source = {});
/// Throws ErrorInfo with an explicit description and nothing else.
[[noreturn]] ORTIVA_API void raise(int32_t number, std::string source, std::string description);

/// Rethrows a caught ErrorInfo with the connection hint: for number 3709 only, the description
/// followed by character 13 and "HINT: Check whether Properties assigned"; every other value,
/// and every other number, unchanged.
[[noreturn]] ORTIVA_API void raise_with_hint(const ErrorInfo& e);

/// Turns the exception in flight into an ErrorInfo: an ErrorInfo is returned as it is,
/// std::bad_alloc is rethrown, anything else becomes number 5 carrying its what() text.
/// Call only inside a catch block.
ORTIVA_API ErrorInfo current_error();

}  // namespace ortiva
