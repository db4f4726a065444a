#pragma once

// A ClsCommonDb connected to a fresh database of each driver, and a second connection of its
// own to prepare tables and read back what the object wrote.
//
// A suite declares itself with ORTIVA_DB_SUITE(Name) and writes TEST_P(Name, ...); the
// drivers it runs on come from db_contexts() (sqlite_contexts.cpp and its siblings).

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "conformance/db_context.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "ortiva/variant.hpp"
#include "support/raised.hpp"
#include "support/values.hpp"

namespace ortiva::testing {

/// The drivers the database suites run on.
std::vector<DbContext> db_contexts();

/// What a member adds to the closed-connection error when the object was never connected.
inline const std::string hint = "\rHINT: Check whether Properties assigned";

/// The five values a caller relies on are those of expected (with the description given).
inline void expect_same_failure(const ErrorInfo& actual, const ErrorInfo& expected,
                                const std::optional<std::string>& description = {}) {
    EXPECT_EQ(actual.number(), expected.number());
    EXPECT_EQ(actual.source(), expected.source());
    EXPECT_EQ(actual.description(), description.value_or(expected.description()));
    EXPECT_EQ(actual.help_file(), expected.help_file());
    EXPECT_EQ(actual.help_context(), expected.help_context());
}

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

    /// All rows of a statement, run on the second connection (none for a statement that
    /// returns no records).
    Rows rows(const std::string& sql) { return rows_of(*other, sql); }
    void exec(const std::string& sql) { rows(sql); }

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
        return raised_by([&] { Recordset().Open(sql, other, cursor_type, lock_type); });
    }

    std::string connection_string;
    ClsCommonDb db;                     // connected by SetUp, no current table
    std::shared_ptr<Connection> other;  // the same database, for setup and checks
};

}  // namespace ortiva::testing

/// Runs a suite derived from DbTest once per driver context.
#define ORTIVA_DB_DRIVERS(Suite)                                                    \
    INSTANTIATE_TEST_SUITE_P(Drivers, Suite,                                        \
                             ::testing::ValuesIn(::ortiva::testing::db_contexts()), \
                             ::ortiva::testing::ContextName{})

/// Declares a suite over DbTest that runs once per driver context.
#define ORTIVA_DB_SUITE(Suite)                         \
    class Suite : public ::ortiva::testing::DbTest {}; \
    ORTIVA_DB_DRIVERS(Suite)
