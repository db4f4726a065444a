#pragma once

// Values as the database suites read and print them.

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/date.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Readable Variants in assertion messages: the kind, then the text form where there is one,
/// so that a Long 1 and a Double 1 differ in ::testing::PrintToString too.
inline void PrintTo(const Variant& v, std::ostream* os) {
    static const std::map<VariantKind, const char*> names = {
        {VariantKind::Empty, "Empty"},     {VariantKind::Null, "Null"},
        {VariantKind::Integer, "Integer"}, {VariantKind::Long, "Long"},
        {VariantKind::Single, "Single"},   {VariantKind::Double, "Double"},
        {VariantKind::Date, "Date"},       {VariantKind::String, "String"},
        {VariantKind::Object, "Object"},   {VariantKind::Error, "Error"},
        {VariantKind::Boolean, "Boolean"}, {VariantKind::Array, "Array"}};
    *os << names.at(v.kind());
    if (v.kind() == VariantKind::Error) {
        *os << ' ' << v.error_code();
    } else if (v.kind() == VariantKind::Array) {
        *os << " of " << v.array().size();
    } else if (!v.is_null() && v.kind() != VariantKind::Object) {
        *os << " \"" << to_text(v) << '"';
    }
}

namespace testing {

/// The kind and value, so that a Long 1 and a Double 1 differ in assertions; numbers to six
/// decimals.
inline std::string describe(const Variant& v) {
    switch (v.kind()) {
        case VariantKind::Empty:
            return "Empty";
        case VariantKind::Null:
            return "Null";
        case VariantKind::Integer:
            return "Integer " + std::to_string(v.integer());
        case VariantKind::Long:
            return "Long " + std::to_string(v.long_value());
        case VariantKind::Single:
            return "Single " + std::to_string(v.single());
        case VariantKind::Double:
            return "Double " + std::to_string(v.dbl());
        case VariantKind::Date:
            return "Date " + std::to_string(v.date().serial);
        case VariantKind::String:
            return "String \"" + v.str() + "\"";
        case VariantKind::Boolean:
            return v.boolean() ? "Boolean True" : "Boolean False";
        default:
            return "kind " + std::to_string(static_cast<int>(v.kind()));
    }
}

using Row = std::vector<Variant>;
using Rows = std::vector<Row>;

/// Every row of sql run through Execute on c (none for a statement that returns no records);
/// a failure names the statement and the driver's text, then passes on.
inline Rows rows_of(Connection& c, const std::string& sql) {
    Rows out;
    try {
        auto rs = c.Execute(sql);
        if (rs->State() != adStateOpen) return out;
        const int32_t n = rs->Fields().Count();
        for (; !rs->Eof(); rs->MoveNext()) {
            Row row;
            for (int32_t i = 0; i < n; ++i)
                row.push_back(rs->Fields()[i].Value());
            out.push_back(std::move(row));
        }
        rs->Close();
    } catch (const ErrorInfo& e) {
        ADD_FAILURE() << sql << "\n  failed: " << e.number() << " " << e.description();
        throw;
    }
    return out;
}

}  // namespace testing
}  // namespace ortiva
