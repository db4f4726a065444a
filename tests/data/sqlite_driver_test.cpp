// What the SQLite driver does beyond the conformance suite: how it stores values, how little a
// keyset cursor reads, its connection string and its error details.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "conformance/db_context.hpp"
#include "drivers/sqlite/diagnostics.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"
#include "support/raised.hpp"
#include "support/values.hpp"

namespace ortiva::testing {
namespace {

class SqliteDriver : public ::testing::Test {
  protected:
    std::string path(const std::string& name) const { return (dir.path() / name).string(); }

    std::shared_ptr<Connection> open(const std::string& connection_string) {
        auto c = Connection::create();
        c->Open(connection_string);
        return c;
    }

    /// What the file holds, read with SQLite itself: "typeof|value" of the first column.
    std::string raw_scalar(const std::string& file, const std::string& sql) {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        sqlite3_stmt* stmt = nullptr;
        std::string out;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            out = std::string(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0))) + "|" +
                  (text ? text : "NULL");
        } else {
            ADD_FAILURE() << sqlite3_errmsg(db);
        }
        sqlite3_finalize(stmt);
        sqlite3_close(db);
        return out;
    }

    TempDir dir;
};

TEST_F(SqliteDriver, KeysetAppendToAMillionRowsStepsNoRow) {
    const std::string file = path("big.sqlite");
    auto db = open("Data Source=" + file);
    db->BeginTrans();
    db->Execute(
        "create table T (Id integer primary key, Name text, Qty integer, Price real, D datetime)");
    db->Execute(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 1000000) "
        "insert into T (Id, Name, Qty, Price, D) "
        "select i, 'item ' || i, i % 100, i * 0.5, '2024-01-01 00:00:00' from n");
    db->CommitTrans();
    const int64_t before = sqlite::rows_stepped(*db);

    Recordset rs;
    rs.Open("Select * from T", db, adOpenKeyset, adLockOptimistic);
    EXPECT_EQ(rs.Fields().Count(), 5);
    EXPECT_EQ(rs.Fields()[4].Name(), "D");
    rs.AddNew();
    rs.Fields()["Name"].Value("appended");
    rs.Fields()["Qty"].Value(int32_t{7});
    rs.Update();
    EXPECT_EQ(sqlite::rows_stepped(rs), 0);
    rs.Close();
    EXPECT_EQ(sqlite::rows_stepped(*db), before);
    EXPECT_EQ(db->Execute("select Name from T where Id = 1000001")->Fields()[0].Value(),
              Variant("appended"));
}

TEST_F(SqliteDriver, KeysetStepsOnlyAsFarAsAsked) {
    auto db = open("Data Source=:memory:");
    db->Execute("create table T (A integer)");
    db->Execute("insert into T values (1), (2), (3), (4), (5)");
    Recordset rs;
    rs.Open("select A from T", db, adOpenKeyset, adLockOptimistic);
    EXPECT_EQ(sqlite::rows_stepped(rs), 0);
    EXPECT_FALSE(rs.Eof());
    EXPECT_EQ(sqlite::rows_stepped(rs), 1);
    rs.MoveNext();
    EXPECT_EQ(rs.Fields()[0].Value(), Variant(int32_t{2}));
    EXPECT_EQ(sqlite::rows_stepped(rs), 2);
    EXPECT_EQ(rs.RecordCount(), 5);
    EXPECT_EQ(sqlite::rows_stepped(rs), 5);
    // Going back reads the rows kept, not the table.
    rs.MoveFirst();
    EXPECT_EQ(rs.Fields()[0].Value(), Variant(int32_t{1}));
    EXPECT_EQ(sqlite::rows_stepped(rs), 5);
}

TEST_F(SqliteDriver, DatesAreStoredAsIsoTextAndReadBackAsDates) {
    const std::string file = path("dates.sqlite");
    auto db = open("Data Source=" + file);
    db->Execute(
        "create table D (Id integer primary key, At datetime, Day DATE, T Time, S timestamp(3), "
        "Plain datetimeoffset)");
    const Date when = Date::from_fields(2024, 3, 1, 13, 45, 10);
    struct Case {
        const char* column;
        Variant written;
        const char* stored;  // typeof|value in the file
        Variant read;
    };
    const std::vector<Case> cases = {
        {"At", Variant(when), "text|2024-03-01 13:45:10", Variant(when)},
        {"Day", Variant(Date::from_fields(1999, 12, 31)), "text|1999-12-31 00:00:00",
         Variant(Date::from_fields(1999, 12, 31))},
        {"T", Variant(Date::from_fields(1899, 12, 30, 6, 30, 0)), "text|1899-12-30 06:30:00",
         Variant(Date::from_fields(1899, 12, 30, 6, 30, 0))},
        // Text that reads as a date is brought to the one stored form.
        {"S", Variant("2024-03-01T13:45:10"), "text|2024-03-01 13:45:10", Variant(when)},
        // Text that is no date is kept as written, and reads back as text.
        {"At", Variant("not a date"), "text|not a date", Variant("not a date")},
        // A number is a serial date.
        {"At", Variant(2.5), "text|1900-01-01 12:00:00",
         Variant(Date::from_fields(1900, 1, 1, 12, 0, 0))},
        // Outside a date column a Date is still written as ISO text.
        {"Plain", Variant(when), "text|2024-03-01 13:45:10", Variant("2024-03-01 13:45:10")},
    };
    Recordset rs;
    rs.Open("select * from D", db, adOpenKeyset, adLockOptimistic);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        rs.AddNew();
        rs.Fields()["Id"].Value(static_cast<int32_t>(i));
        rs.Fields()[cases[i].column].Value(cases[i].written);
    }
    rs.UpdateBatch(adAffectAll);
    rs.Close();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(std::string(c.column) + " written as " + describe(c.written));
        const std::string where = " from D where Id = " + std::to_string(i);
        EXPECT_EQ(
            raw_scalar(file, std::string("select typeof(") + c.column + "), " + c.column + where),
            c.stored);
        auto read = db->Execute(std::string("select ") + c.column + where);
        EXPECT_EQ(describe(read->Fields()[0].Value()), describe(c.read));
    }
}

TEST_F(SqliteDriver, StorageClassesAndDeclaredTypesGiveTheValueKinds) {
    auto db = open("Data Source=:memory:");
    db->Execute(
        "create table K (I integer, R real, T varchar(10), B BIT, Bo boolean, N numeric, X)");
    db->Execute(
        "insert into K values (2147483647, 1.0, '12', 1, 0, 2.5, x'414243'), "
        "(2147483648, -0.5, 'x', 0, 5, 3, NULL), (-2147483649, 0, '', NULL, NULL, NULL, 7)");
    auto rs = db->Execute("select * from K");
    std::vector<std::string> seen;
    for (; !rs->Eof(); rs->MoveNext()) {
        std::string row;
        for (int32_t i = 0; i < rs->Fields().Count(); ++i) {
            row += (i ? ", " : "") + describe(rs->Fields()[i].Value());
        }
        seen.push_back(row);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "Long 2147483647, Double 1.000000, String \"12\", Boolean True, Boolean "
                        "False, Double 2.500000, String \"ABC\"",
                        "Double 2147483648.000000, Double -0.500000, String \"x\", Boolean False, "
                        "Boolean True, Long 3, Null",
                        "Double -2147483649.000000, Double 0.000000, String \"\", Null, Null, "
                        "Null, Long 7",
                    }));
}

TEST_F(SqliteDriver, WrittenValuesBindTheirOwnSqliteType) {
    const std::string file = path("types.sqlite");
    auto db = open("Data Source=" + file);
    db->Execute("create table W (Id integer primary key, V)");
    const std::vector<std::pair<Variant, std::string>> cases = {
        {Variant(int16_t{-5}), "integer|-5"},
        {Variant(int32_t{70000}), "integer|70000"},
        {Variant(0.25), "real|0.25"},
        {Variant(1.5f), "real|1.5"},
        {Variant(true), "integer|1"},
        {Variant(false), "integer|0"},
        {Variant("07"), "text|07"},
        {Variant::null(), "null|NULL"},
        {Variant(), "null|NULL"},
    };
    Recordset rs;
    rs.Open("select * from W", db, adOpenKeyset, adLockOptimistic);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        rs.AddNew();
        rs.Fields()[0].Value(static_cast<int32_t>(i));
        rs.Fields()[1].Value(cases[i].first);
        rs.Update();
    }
    const std::vector<Variant> refused = {Variant::missing(), Variant(VariantArray{Variant(1)})};
    rs.AddNew();
    for (const auto& v : refused) {
        EXPECT_EQ(raised_by([&] { rs.Fields()[1].Value(v); }).number(), 3421);
    }
    rs.Fields()[0].Value(int32_t{100});
    rs.Update();
    rs.Close();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(describe(cases[i].first));
        EXPECT_EQ(raw_scalar(file, "select typeof(V), V from W where Id = " + std::to_string(i)),
                  cases[i].second);
    }
}

TEST_F(SqliteDriver, KeysetOnAStatementThatChangesDataRunsItAtOpen) {
    auto db = open("Data Source=:memory:");
    db->Execute("create table T (Id integer primary key, Name text)");
    {
        Recordset rs;
        rs.Open("insert into T (Name) values ('a'), ('b') returning Id", db, adOpenKeyset,
                adLockOptimistic);
        EXPECT_EQ(rs.State(), adStateOpen);
    }
    EXPECT_EQ(db->Execute("select count(*) from T")->Fields()[0].Value(), Variant(int32_t{2}));

    // A forward-only cursor never runs a write twice to start over; the refusal names it.
    const std::string insert = "insert into T (Name) values ('c'), ('d') returning Id";
    Recordset rs;
    rs.Open(insert, db, adOpenForwardOnly, adLockReadOnly);
    rs.MoveNext();
    const ErrorInfo e = raised_by([&] { rs.MoveFirst(); });
    EXPECT_EQ(e.description(), "The rowset does not support fetching backward.");
    EXPECT_EQ(e.statement(), insert);
    rs.Close();
    EXPECT_EQ(db->Execute("select count(*) from T")->Fields()[0].Value(), Variant(int32_t{4}));
}

// That a changed schema is not met with the old statements is the conformance suite's
// RepeatedStatementsSeeTablesChangedOrDroppedInBetween.
TEST_F(SqliteDriver, RepeatedAppendsPrepareNothingTwice) {
    auto db = open("Data Source=:memory:");
    db->Execute("create table T (Code integer, Name text)");
    auto append = [&](int code) {
        Recordset rs;
        rs.Open("Select * from T", db, adOpenKeyset, adLockOptimistic);
        rs.AddNew();
        rs.Fields()[0].Value(int32_t{code});
        rs.Fields()[1].Value(int32_t{code});
        rs.Update();
        rs.Close();
    };
    append(1);
    const int64_t prepared = sqlite::statements_prepared(*db);
    for (int code = 2; code <= 5; ++code)
        append(code);
    EXPECT_EQ(sqlite::statements_prepared(*db), prepared);
}

// Reads with literals in their condition run with parameters in the literals' place; the
// answers must be those of the text as written, which a keyset cursor still prepares.
TEST_F(SqliteDriver, ReadsWithLiteralsAnswerAsWrittenAndPrepareOnce) {
    auto db = open("Data Source=" + path("literals.sqlite"));
    db->Execute("create table T (Id integer primary key, Num integer, Txt text, Anything, B blob)");
    db->Execute(
        "insert into T values (1, 5, '5', 5, x'00ff'), (2, -5, 'O''Brien', '5', null), "
        "(3, 7, 'a%b', 5.0, x'01'), (4, 9223372036854775807, 'A', -9223372036854775807 - 1, "
        "null), (5, null, 'ab', 'x', null)");
    const std::vector<std::string> queries = {
        "select Id from T where Txt = 5",
        "select Id from T where Num = '5'",
        "select Id from T where Anything = 5",
        "select Id from T where Anything = '5'",
        "select Id, Num from T where Num = -5 or Num = 9223372036854775807",
        "select Id from T where Anything = -9223372036854775808",
        "select Id from T where Txt = 'O''Brien' or Txt = 'a' collate nocase",
        "select Id from T where Txt like 'a\\%%' escape '\\'",
        "select Id from T where Txt like 'A%'",
        "select Id from T where Num in (5, -5, 7) order by 1 desc",
        "select Id, Txt from T where Id > 1 order by 2",
        "select Id from T where B = x'00ff'",
        "select Txt || '!' from T where 1 group by Txt order by 1 limit 2",
        "select Id from T where Id in (select Id from T where Num = 7 order by 1 limit 1)",
    };
    for (const auto& sql : queries) {
        SCOPED_TRACE(sql);
        Recordset as_written;
        as_written.Open(sql, db, adOpenKeyset, adLockReadOnly);
        auto read = db->Execute(sql);
        const int32_t columns = read->Fields().Count();
        for (; !read->Eof(); read->MoveNext(), as_written.MoveNext()) {
            ASSERT_FALSE(as_written.Eof());
            for (int32_t i = 0; i < columns; ++i) {
                EXPECT_EQ(describe(read->Fields()[i].Value()),
                          describe(as_written.Fields()[i].Value()));
            }
        }
        EXPECT_TRUE(as_written.Eof());
    }

    // A lookup by key in a loop prepares its statement once, until the schema changes.
    auto lookup = [&](int id) {
        Recordset rs;
        rs.Open("select V from S where Id = " + std::to_string(id), db);
        return rs.Eof() ? Variant::null() : rs.Fields()[0].Value();
    };
    db->Execute("create table S (Id integer primary key, V integer)");
    db->Execute("insert into S values (1, 10), (2, 20)");
    EXPECT_EQ(lookup(1), Variant(int32_t{10}));
    const int64_t prepared = sqlite::statements_prepared(*db);
    EXPECT_EQ(lookup(2), Variant(int32_t{20}));
    EXPECT_TRUE(lookup(3).is_null());
    EXPECT_EQ(sqlite::statements_prepared(*db), prepared);
    // Failures name the caller's text, not the one prepared.
    db->Execute("alter table S rename column V to W");
    const ErrorInfo e = raised_by([&] { lookup(1); });
    EXPECT_EQ(e.description(), "no such column: V");
    EXPECT_EQ(e.statement(), "select V from S where Id = 1");
}

TEST_F(SqliteDriver, ConnectionStringChoosesTheDatabase) {
    // Braced values may hold ';' (the parser's own tests cover every quoted form).
    const std::string odd = path("with;semicolon.sqlite");
    struct Case {
        std::string text;
        bool opens;
    };
    const std::vector<Case> cases = {
        {"Provider=SQLite;Data Source=:memory:", true},
        {"Data Source={" + odd + "}", true},
        {"Provider=SQLite", false},
        {"Provider=SQLite;Data Source=" + path("missing/dir/x.sqlite"), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto conn = Connection::create();
        if (c.opens) {
            conn->Open(c.text, "user", "password");
            EXPECT_EQ(conn->State(), adStateOpen);
        } else {
            const ErrorInfo e = raised_by([&] { conn->Open(c.text); });
            EXPECT_EQ(e.number(), -2147467259);
            EXPECT_EQ(e.source(), "Ortiva.SQLite");
            EXPECT_EQ(conn->State(), adStateClosed);
        }
    }
    EXPECT_TRUE(std::filesystem::exists(odd));

    const ErrorInfo unknown =
        raised_by([] { Connection::create()->Open("Provider=NoSuchThing;Data Source=x"); });
    EXPECT_EQ(unknown.number(), 3706);
    EXPECT_NE(unknown.description().find("NoSuchThing"), std::string::npos);
}

TEST_F(SqliteDriver, ReadModeOpensReadOnly) {
    const std::string file = path("ro.sqlite");
    open("Data Source=" + file)->Execute("create table T (A integer); insert into T values (1)");

    auto ro = open("Data Source=" + file + ";Mode=Read");
    EXPECT_EQ(ro->Execute("select A from T")->Fields()[0].Value(), Variant(int32_t{1}));
    const ErrorInfo e = raised_by([&] { ro->Execute("insert into T values (2)"); });
    EXPECT_EQ(e.number(), -2147217900);
    EXPECT_NE(e.description().find("readonly"), std::string::npos) << e.description();

    const ErrorInfo missing =
        raised_by([&] { open("Data Source=" + path("absent.sqlite") + ";Mode=Read"); });
    EXPECT_EQ(missing.number(), -2147467259);
    EXPECT_FALSE(std::filesystem::exists(path("absent.sqlite")));

    const std::string junk = path("junk.sqlite");
    { std::ofstream(junk) << "this is not a database file, not at all, no header here......"; }
    EXPECT_EQ(raised_by([&] { open("Data Source=" + junk); }).number(), -2147467259);
}

TEST_F(SqliteDriver, ErrorsCarrySqliteMessageNativeCodeAndStatement) {
    auto db = open("Data Source=:memory:");
    db->Execute("create table T (Id integer primary key, Name text not null)");
    db->Execute("insert into T values (1, 'a')");
    struct Case {
        std::string sql;
        int32_t number;
        int native;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"selec 1", -2147217900, SQLITE_ERROR, "near \"selec\": syntax error"},
        {"insert into T values (1, 'b')", -2147217873, SQLITE_CONSTRAINT_PRIMARYKEY,
         "UNIQUE constraint failed: T.Id"},
        {"insert into T (Id) values (2)", -2147217873, SQLITE_CONSTRAINT_NOTNULL,
         "NOT NULL constraint failed: T.Name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const ErrorInfo e = raised_by([&] { db->Execute(c.sql); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.source(), "Ortiva.SQLite");
        EXPECT_EQ(e.description(), c.message);
        EXPECT_EQ(e.native_error(), c.native);
        EXPECT_EQ(e.statement(), c.sql);
    }
}

TEST_F(SqliteDriver, ExecuteRunsABatchWhoseLastStatementMayReturnRows) {
    auto db = open("Data Source=:memory:");
    auto rs = db->Execute(
        "create table T (A integer); insert into T values (1); -- comment\n"
        "insert into T values (2); select sum(A) from T;  ");
    EXPECT_EQ(rs->Fields()[0].Value(), Variant(int32_t{3}));

    // Rows from an earlier statement would be lost unseen: refused before anything runs after.
    const ErrorInfo e =
        raised_by([&] { db->Execute("select A from T; insert into T values (10)"); });
    EXPECT_EQ(e.number(), -2147217900);
    EXPECT_EQ(db->Execute("select count(*) from T")->Fields()[0].Value(), Variant(int32_t{2}));

    EXPECT_EQ(raised_by([&] { db->Execute("  ;  -- nothing\n"); }).number(), -2147217908);
}

TEST_F(SqliteDriver, FailureWhileStreamingEndsTheRowsUntilMoveFirst) {
    auto db = open("Data Source=:memory:");
    db->Execute("create table T (A integer)");
    db->Execute("insert into T values (1), (-9223372036854775807 - 1)");
    const std::string sql = "select A, abs(A) from T where A <> 0";
    auto rs = db->Execute(sql);
    EXPECT_EQ(rs->Fields()[1].Value(), Variant(int32_t{1}));
    const ErrorInfo first = raised_by([&] { rs->MoveNext(); });
    EXPECT_EQ(first.number(), -2147217900);
    EXPECT_EQ(first.description(), "integer overflow");
    EXPECT_EQ(first.statement(), sql);
    // The statement is not stepped again behind the caller's back...
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(raised_by([&] { rs->MoveNext(); }).number(), 3021);
    // ...only when asked to start over.
    rs->MoveFirst();
    EXPECT_EQ(rs->Fields()[0].Value(), Variant(int32_t{1}));
    // A static cursor reads every row at Open, so Open fails; the statement stays usable.
    Recordset all;
    EXPECT_EQ(raised_by([&] { all.Open(sql, db, adOpenStatic, adLockReadOnly); }).statement(), sql);
    EXPECT_EQ(db->Execute(sql)->Fields()[1].Value(), Variant(int32_t{1}));
}

TEST_F(SqliteDriver, TransactionLevelsStayInStepWithTheDatabase) {
    auto db = open("Data Source=" + path("tx.sqlite"));
    db->Execute("create table T (A integer)");
    EXPECT_EQ(db->BeginTrans(), 1);
    // A COMMIT sent as a statement ends the transaction behind the connection's back.
    db->Execute("commit");
    const ErrorInfo e = raised_by([&] { db->CommitTrans(); });
    EXPECT_EQ(e.number(), -2147168242);
    EXPECT_EQ(db->BeginTrans(), 1);
    db->CommitTrans();
}

}  // namespace
}  // namespace ortiva::testing
