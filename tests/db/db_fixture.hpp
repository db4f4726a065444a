#pragma once

// A ClsCommonDb connected to a fresh database of each driver, and a second connection of its
// own to prepare tables and read back what the object wrote.
//
// A suite declares itself with ORTIVA_DB_SUITE(Name) and writes TEST_P(Name, ...); the
// drivers it runs on come from db_contexts() (sqlite_contexts.cpp and its siblings).

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "conformance/db_context.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Readable Variants in assertion messages.
inline void PrintTo(const Variant& v, std::ostream* os) {
    switch (v.kind()) {
        case VariantKind::Empty:
            *os << "Empty";
            return;
        case VariantKind::Null:
            *os << "Null";
            return;
        case VariantKind::Integer:
            *os << "Integer " << v.integer();
            return;
        case VariantKind::Long:
            *os << "Long " << v.long_value();
            return;
        case VariantKind::Single:
            *os << "Single " << v.single();
            return;
        case VariantKind::Double:
            *os << "Double " << v.dbl();
            return;
        case VariantKind::Date:
            *os << "Date " << v.date().serial;
            return;
        case VariantKind::String:
            *os << "String \"" << v.str() << '"';
            return;
        case VariantKind::Boolean:
            *os << "Boolean " << (v.boolean() ? "True" : "False");
            return;
        case VariantKind::Error:
            *os << "Error " << v.error_code();
            return;
        case VariantKind::Object:
            *os << "Object";
            return;
        case VariantKind::Array:
            *os << "Array of " << v.array().size();
            return;
    }
    *os << "?";
}

inline void PrintTo(const ErrorInfo& e, std::ostream* os) {
    *os << "ErrorInfo " << e.number() << " [" << e.source() << "] " << e.description();
}

}  // namespace ortiva

namespace ortiva::testing {

/// The drivers the database suites run on.
std::vector<DbContext> db_contexts();

using Row = std::vector<Variant>;
using Rows = std::vector<Row>;

class DbTest : public ::testing::TestWithParam<DbContext> {
  protected:
    void SetUp() override {
        if (ctx().unavailable) {
            if (const std::string why = ctx().unavailable(); !why.empty()) GTEST_SKIP() << why;
        }
        connection_string = ctx().fresh_database();
        try {
            db.SetPropertyValues(connection_string, ctx().user, ctx().password);
            other = Connection::create();
            other->Open(connection_string, ctx().user, ctx().password);
        } catch (const ErrorInfo& e) {
            FAIL() << "cannot open " << connection_string << ": " << e.number() << " "
                   << e.description();
        }
    }

    const DbContext& ctx() const { return GetParam(); }

    /// Runs a statement on the second connection.
    void exec(const std::string& sql) {
        try {
            other->Execute(sql);
        } catch (const ErrorInfo& e) {
            ADD_FAILURE() << sql << "\n  failed: " << e.number() << " " << e.description();
            throw;
        }
    }

    /// All rows of a query, read on the second connection.
    Rows rows(const std::string& sql) {
        Rows out;
        try {
            auto rs = other->Execute(sql);
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

    /// Field 0 of the first row (Empty when there is none).
    Variant scalar(const std::string& sql) {
        const Rows r = rows(sql);
        return r.empty() || r.front().empty() ? Variant() : r.front().front();
    }

    /// Each row of a query as its values joined by '|', NULL shown as NULL.
    std::vector<std::string> texts(const std::string& sql) {
        std::vector<std::string> out;
        for (const Row& row : rows(sql)) {
            std::string line;
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i) line += '|';
                line += row[i].is_null() ? std::string("NULL") : to_text(row[i]);
            }
            out.push_back(std::move(line));
        }
        return out;
    }

    /// "create table name (columns)" with the context's column types spelled in columns by
    /// the caller, e.g. create_table("Items", "Code " + ctx().int_type + ", Name " + ...).
    void create_table(const std::string& name, const std::string& columns) {
        exec("create table " + name + " (" + columns + ")");
    }

    /// What the data-access layer itself raises opening a recordset on sql (second connection).
    ErrorInfo seam_error(const std::string& sql, int32_t cursor_type = adOpenForwardOnly,
                         int32_t lock_type = adLockReadOnly) {
        try {
            Recordset rs;
            rs.Open(sql, other, cursor_type, lock_type);
        } catch (const ErrorInfo& e) {
            return e;
        }
        ADD_FAILURE() << sql << "\n  was expected to fail";
        return {};
    }

    std::string connection_string;
    ClsCommonDb db;                     // connected by SetUp, no current table
    std::shared_ptr<Connection> other;  // the same database, for setup and checks
};

/// Runs the failing call and returns what it raised; records a failure if nothing was raised.
template <typename F>
ErrorInfo raised_by(F&& call) {
    try {
        call();
    } catch (const ErrorInfo& e) {
        return e;
    }
    ADD_FAILURE() << "expected an ErrorInfo, nothing was raised";
    return {};
}

/// The five values a caller relies on are those of expected.
inline void expect_same_failure(const ErrorInfo& actual, const ErrorInfo& expected) {
    EXPECT_EQ(actual.number(), expected.number());
    EXPECT_EQ(actual.source(), expected.source());
    EXPECT_EQ(actual.description(), expected.description());
    EXPECT_EQ(actual.help_file(), expected.help_file());
    EXPECT_EQ(actual.help_context(), expected.help_context());
}

}  // namespace ortiva::testing

/// Declares a suite over DbTest that runs once per driver context.
#define ORTIVA_DB_SUITE(Suite)                                                      \
    class Suite : public ::ortiva::testing::DbTest {};                              \
    INSTANTIATE_TEST_SUITE_P(Drivers, Suite,                                        \
                             ::testing::ValuesIn(::ortiva::testing::db_contexts()), \
                             ::ortiva::testing::ContextName{})
