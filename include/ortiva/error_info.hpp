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
    ErrorInfo(int32_t number, std::string source, std::string description,
              std::string help_file = {}, int32_t help_context = 0);

    int32_t number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }
    const std::string& help_file() const noexcept { return help_file_; }
    int32_t help_context() const noexcept { return help_context_; }

    int32_t native_error() const noexcept { return native_error_; }
    const std::string& sqlstate() const noexcept { return sqlstate_; }
    const std::string& statement() const noexcept { return statement_; }

    ErrorInfo& with_native(int32_t native_error, std::string sqlstate = {});
    ErrorInfo& with_statement(std::string statement);
    ErrorInfo& with_description(std::string description);

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
inline constexpr int32_t invalid_call = 5;
inline constexpr int32_t overflow = 6;
inline constexpr int32_t subscript = 9;
inline constexpr int32_t type_mismatch = 13;
inline constexpr int32_t object_not_set = 91;
inline constexpr int32_t invalid_null = 94;
inline constexpr int32_t invalid_property_value = 380;
inline constexpr int32_t invalid_property_index = 381;
inline constexpr int32_t set_not_permitted = 387;
inline constexpr int32_t object_required = 424;
inline constexpr int32_t no_such_member = 438;
inline constexpr int32_t app_defined = -2147221503;  // 0x80040001
inline constexpr int32_t ado_wrong_arguments = 3001;
inline constexpr int32_t ado_bof_eof = 3021;
inline constexpr int32_t ado_item_not_found = 3265;
inline constexpr int32_t ado_object_closed = 3704;
inline constexpr int32_t ado_object_open = 3705;
inline constexpr int32_t ado_connection_unusable = 3709;
inline constexpr int32_t ado_provider_error = -2147217900;       // 0x80040E14
inline constexpr int32_t ado_integrity_violation = -2147217873;  // 0x80040E2F
inline constexpr int32_t ctl_index_out_of_bounds = 35600;
inline constexpr int32_t ctl_element_not_found = 35601;
inline constexpr int32_t ctl_key_not_unique = 35602;
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
