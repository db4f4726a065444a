#include "ortiva/error_info.hpp"

#include <new>
#include <utility>

namespace ortiva {

ErrorInfo::ErrorInfo(int32_t number, std::string source, std::string description,
                     std::string help_file, int32_t help_context)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      help_file_(std::move(help_file)),
      help_context_(help_context) {}

ErrorInfo& ErrorInfo::with_native(int32_t native_error, std::string sqlstate) {
    native_error_ = native_error;
    sqlstate_ = std::move(sqlstate);
    return *this;
}

ErrorInfo& ErrorInfo::with_statement(std::string statement) {
    statement_ = std::move(statement);
    return *this;
}

ErrorInfo& ErrorInfo::with_description(std::string description) {
    description_ = std::move(description);
    return *this;
}

std::string standard_description(int32_t number) {
    switch (number) {
        case 5:
            return "Invalid procedure call or argument";
        case 6:
            return "Overflow";
        case 7:
            return "Out of memory";
        case 9:
            return "Subscript out of range";
        case 11:
            return "Division by zero";
        case 13:
            return "Type mismatch";
        case 91:
            return "Object variable or With block variable not set";
        case 94:
            return "Invalid use of Null";
        case 380:
            return "Invalid property value";
        case 381:
            return "Invalid property array index";
        case 387:
            return "Set not permitted";
        case 424:
            return "Object required";
        case 438:
            return "Object doesn't support this property or method";
        case 449:
            return "Argument not optional";
        case 450:
            return "Wrong number of arguments or invalid property assignment";
        case 3001:
            return "Arguments are of the wrong type, are out of acceptable range, or are in "
                   "conflict with one another.";
        case 3021:
            return "Either BOF or EOF is True, or the current record has been deleted. "
                   "Requested operation requires a current record.";
        case 3251:
            return "Current Recordset does not support updating.";
        case 3265:
            return "Item cannot be found in the collection corresponding to the requested name "
                   "or ordinal.";
        case 3704:
            return "Operation is not allowed when the object is closed.";
        case 3705:
            return "Operation is not allowed when the object is open.";
        case 3706:
            return "Provider cannot be found. It may not be properly installed.";
        case 3709:
            return "The connection cannot be used to perform this operation. It is either "
                   "closed or invalid in this context.";
        case 35600:
            return "Index out of bounds";
        case 35601:
            return "Element not found";
        case 35602:
            return "Key is not unique in collection";
        case 35603:
            return "Invalid key";
        default:
            return "Application-defined or object-defined error";
    }
}

void raise(int32_t number, std::string source) {
    throw ErrorInfo(number, std::move(source), standard_description(number));
}

void raise(int32_t number, std::string source, std::string description) {
    throw ErrorInfo(number, std::move(source), std::move(description));
}

void raise_with_hint(const ErrorInfo& e) {
    if (e.number() != err::ado_connection_unusable) throw e;
    ErrorInfo hinted = e;
    hinted.with_description(e.description() + "\rHINT: Check whether Properties assigned");
    throw hinted;
}

ErrorInfo current_error() {
    try {
        throw;
    } catch (const ErrorInfo& e) {
        return e;
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& e) {
        return ErrorInfo(err::invalid_call, "Ortiva", e.what());
    } catch (...) {
        return ErrorInfo(err::invalid_call, "Ortiva", "Unknown failure");
    }
}

}  // namespace ortiva
