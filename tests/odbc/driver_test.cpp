// What the ODBC driver does beyond the shared suites: values at their edges, batched writes
// and their failures, rows found without a primary key, and on PostgreSQL the server's own
// SQLSTATEs, a refused commit, a dropped connection and a password that needs braces.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "drivers/odbc/diagnostics.hpp"
#include "odbc/odbc_contexts.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/date.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/recordset.hpp"

namespace ortiva::testing {
namespace {

constexpr int32_t statement_rejected = -2147217900;
constexpr int32_t integrity_violation = -2147217873;
constexpr int32_t provider_failure = -2147467259;
constexpr int32_t no_transaction = -2147168242;

// A connection to a fresh database of the context, and a second one to read back.
class OdbcTest : public ::testing::TestWithParam<DbContext> {
  protected:
    void SetUp() override { open(GetParam()); }

    void open(const DbContext& context) {
        ctx = context;
        connection_string = ctx.fresh_database();
        db = connect();
        other = connect();
    }

    std::shared_ptr<Connection> connect(const std::string& password) const {
        auto c = Connection::create();
        c->Open(connection_string, ctx.user, password);
        return c;
    }
    std::shared_ptr<Connection> connect() const { return connect(ctx.password); }

    void exec(const std::string& sql) { rows_of(*db, sql); }

    std::vector<Variant> column(const std::string& sql) {
        std::vector<Variant> out;
        auto rs = other->Execute(sql);
        for (; !rs->Eof(); rs->MoveNext())
            out.push_back(rs->Fields()[0].Value());
        return out;
    }

    DbContext ctx;
    std::string connection_string;
    std::shared_ptr<Connection> db;
    std::shared_ptr<Connection> other;
};

// A valid UTF-8 text of about n bytes, with one-, two-, three- and four-byte characters.
std::string text_of(std::size_t n) {
    static const char* const pieces[] = {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    std::string s;
    for (std::size_t i = 0; s.size() < n; ++i)
        s += pieces[i % 4];
    return s;
}

class OdbcValues : public OdbcTest {};
INSTANTIATE_TEST_SUITE_P(ODBC, OdbcValues, ::testing::ValuesIn(odbc_contexts()), ContextName());

TEST_P(OdbcValues, LongTextsReadWholeThroughEveryCursorAndNullStaysApartFromEmpty) {
    exec("create table L (Id " + ctx.int_type + " primary key, T TEXT)");
    const std::vector<std::size_t> sizes = {0, 1, 255, 511, 512, 513, 4095, 4096, 4097, 70000};
    Recordset writer;
    writer.Open("Select * from L", db, adOpenKeyset, adLockOptimistic);
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        writer.AddNew();
        writer.Fields()[0].Value(static_cast<int32_t>(i));
        writer.Fields()[1].Value(text_of(sizes[i]));
    }
    writer.AddNew();
    writer.Fields()[0].Value(int32_t{100});
    writer.Fields()[1].Value(Variant::null());
    writer.UpdateBatch(adAffectAll);
    writer.Close();

    for (const int32_t cursor : {adOpenForwardOnly, adOpenKeyset, adOpenStatic}) {
        SCOPED_TRACE(cursor);
        Recordset rs;
        rs.Open("select T from L order by Id", other, cursor,
                cursor == adOpenKeyset ? adLockOptimistic : adLockReadOnly);
        for (const std::size_t size : sizes) {
            ASSERT_FALSE(rs.Eof());
            ASSERT_EQ(rs.Fields()[0].Value(), Variant(text_of(size))) << size << " bytes";
            rs.MoveNext();
        }
        ASSERT_FALSE(rs.Eof());
        EXPECT_TRUE(rs.Fields()[0].Value().is_null());
    }
}

TEST_P(OdbcValues, DoublesRoundTripBitForBit) {
    if (!ctx.can("exact_doubles")) GTEST_SKIP() << ctx.cannot.at("exact_doubles");
    exec("create table R (Id " + ctx.int_type + " primary key, X " + ctx.real_type + ")");
    const std::vector<double> values = {
        0.1 + 0.2,
        1.0 / 3,
        -2.5e-5,
        123456789.12345678,
        1e-300,
        1.7976931348623157e308,
        2.2250738585072014e-308,
        0.0,
    };
    Recordset rs;
    rs.Open("Select * from R", db, adOpenKeyset, adLockOptimistic);
    for (std::size_t i = 0; i < values.size(); ++i) {
        rs.AddNew();
        rs.Fields()[0].Value(static_cast<int32_t>(i));
        rs.Fields()[1].Value(values[i]);
    }
    rs.UpdateBatch(adAffectAll);
    rs.Close();
    const auto stored = column("select X from R order by Id");
    ASSERT_EQ(stored.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(stored[i].kind(), VariantKind::Double) << ::testing::PrintToString(stored[i]);
        const double read = stored[i].dbl();
        EXPECT_EQ(std::memcmp(&read, &values[i], sizeof read), 0)
            << std::hexfloat << values[i] << " read back as " << read;
    }
}

TEST_P(OdbcValues, BatchedRowsOfMixedKindsAreStoredAsTheirColumnsKeepThem) {
    exec("create table M (Id " + ctx.int_type + " primary key, N " + ctx.int_type + ", T " +
         ctx.text_type + ", D " + ctx.date_type + ")");
    const Date when = Date::from_fields(2024, 3, 1, 13, 45, 10);
    const std::string when_text = "2024-03-01 13:45:10";
    const Variant null = Variant::null();
    struct Case {
        Variant n, t, d;
        std::vector<Variant> expected;
    };
    // The kinds change from row to row within each column, so the batch is split where they
    // do and each part binds its own way.
    const std::vector<Case> cases = {
        {int32_t{1}, "text", when, {1, "text", when}},
        {"2", int32_t{5}, when_text, {2, "5", when}},
        {3.0, null, null, {3, null, null}},
        {int16_t{4}, 2.5, when.serial, {4, "2.5", when}},
        {null, when, when, {null, when_text, when}},
        {Variant(true), "", when, {1, "", when}},
    };
    Recordset rs;
    rs.Open("Select * from M", db, adOpenKeyset, adLockOptimistic);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        rs.AddNew();
        rs.Fields()["Id"].Value(static_cast<int32_t>(i));
        rs.Fields()["N"].Value(cases[i].n);
        rs.Fields()["T"].Value(cases[i].t);
        rs.Fields()["D"].Value(cases[i].d);
    }
    rs.UpdateBatch(adAffectAll);
    rs.Close();
    auto read = other->Execute("select N, T, D from M order by Id");
    for (const Case& c : cases) {
        ASSERT_FALSE(read->Eof());
        std::vector<Variant> row;
        for (int32_t f = 0; f < 3; ++f)
            row.push_back(read->Fields()[f].Value());
        EXPECT_EQ(row, c.expected);
        read->MoveNext();
    }
}

class OdbcBatches : public OdbcTest {
  protected:
    void SetUp() override {
        OdbcTest::SetUp();
        exec("create table B (Id " + ctx.int_type + " primary key, Name " + ctx.text_type + ")");
    }
    std::vector<Variant> ids() { return column("select Id from B order by Id"); }
};
INSTANTIATE_TEST_SUITE_P(ODBC, OdbcBatches, ::testing::ValuesIn(odbc_contexts()), ContextName());

// Both ways of writing added rows: parameter arrays, and one execution per row as on a driver
// without them. More rows than one parameter array takes are appended without reading the
// table; then a failing row keeps the rows before it and stays in hand until mended.
TEST_P(OdbcBatches, AddedRowsAreWrittenWithAndWithoutParameterArrays) {
    for (const bool arrays : {true, false}) {
        SCOPED_TRACE(arrays ? "parameter arrays" : "row by row");
        exec("delete from B");
        exec("insert into B (Id, Name) values (0, 'there before')");
        odbc::use_parameter_arrays(*db, arrays);
        const int64_t fetched = odbc::rows_fetched(*db);
        ASSERT_GE(fetched, 0);
        constexpr int32_t n = 2500;
        Recordset rs;
        rs.Open("Select * from B", db, adOpenKeyset, adLockOptimistic);
        for (int32_t i = 1; i <= n; ++i) {
            rs.AddNew();
            rs.Fields()[0].Value(i);
            rs.Fields()[1].Value("row " + std::to_string(i));
        }
        rs.UpdateBatch(adAffectAll);
        EXPECT_EQ(odbc::rows_fetched(*db), fetched);
        EXPECT_EQ(column("select count(*) from B")[0], Variant(n + 1));
        EXPECT_EQ(column("select Name from B where Id = 1777")[0], Variant("row 1777"));

        exec("delete from B where Id > 5");
        exec("delete from B where Id < 5");
        for (int32_t i = 1; i <= 8; ++i) {
            rs.AddNew();
            rs.Fields()[0].Value(i);
        }
        const ErrorInfo e = raised_by([&] { rs.UpdateBatch(adAffectAll); });
        EXPECT_EQ(e.number(), integrity_violation) << e.description();
        EXPECT_EQ(e.source(), "Ortiva.ODBC");
        // Rows 1 to 4 are stored; row 5 is in hand again; 6 to 8 wait for it.
        EXPECT_EQ(ids(), (std::vector<Variant>{1, 2, 3, 4, 5}));
        EXPECT_EQ(rs.Fields()[0].Value(), Variant(int32_t{5}));
        rs.Fields()[0].Value(int32_t{50});
        rs.Update();
        rs.Close();
        EXPECT_EQ(ids(), (std::vector<Variant>{1, 2, 3, 4, 5, 6, 7, 8, 50}));
    }
}

TEST_P(OdbcBatches, RepeatedTextsArePreparedOnceAndNotReusedAcrossATableChange) {
    auto append_and_rename = [&](int32_t id) {
        Recordset rs;
        rs.Open("Select * from B", db, adOpenKeyset, adLockOptimistic);
        rs.AddNew();
        rs.Fields()[0].Value(id);
        rs.Update();
        rs.Fields()[1].Value("row " + std::to_string(id));
        rs.Update();
        rs.Close();
        return db->Execute("select count(*) from B")->Fields()[0].Value();
    };
    append_and_rename(1);
    const int64_t prepared = odbc::statements_prepared(db->driver());
    const int64_t asked = odbc::catalog_calls(db->driver());
    for (int32_t id = 2; id <= 4; ++id)
        EXPECT_EQ(append_and_rename(id), Variant(id));
    // Keyset and Execute statements are kept, and so is what the catalog said of B.
    EXPECT_EQ(odbc::statements_prepared(db->driver()), prepared);
    EXPECT_EQ(odbc::catalog_calls(db->driver()), asked);

    // A statement in use while its table is made again with other columns is not kept.
    Recordset held;
    held.Open("Select * from B order by Id", db, adOpenKeyset, adLockOptimistic);
    EXPECT_EQ(held.Fields()[0].Value(), Variant(int32_t{1}));
    exec("drop table B");
    // Keyed by another column now: what the catalog said of B before is not used either.
    exec("create table B (Code " + ctx.text_type + " primary key, Id " + ctx.int_type + ", Name " +
         ctx.int_type + ")");
    exec("insert into B values ('j', 7, 1)");
    held.Close();
    Recordset rs;
    rs.Open("Select * from B order by Id", db, adOpenKeyset, adLockOptimistic);
    rs.AddNew();
    rs.Fields()[0].Value("k");
    rs.Fields()[1].Value(int32_t{7});
    rs.Update();
    rs.Fields()[2].Value(int32_t{2});
    rs.Update();
    rs.Close();
    EXPECT_EQ(column("select Name from B order by Code"), (std::vector<Variant>{1, 2}));
}

TEST_P(OdbcBatches, WithoutAPrimaryKeyARowIsFoundByItsComparableValues) {
    // R holds a value that not every driver reads back exactly, and T a Null: neither may stop
    // the row from being found.
    exec("create table N (A " + ctx.int_type + ", T " + ctx.text_type + ", R " + ctx.real_type +
         ")");
    exec("insert into N (A, T, R) values (1, 'x', 0.30000000000000004)");
    exec("insert into N (A, T, R) values (2, 'y', 0.5)");
    exec("insert into N (A, T, R) values (3, NULL, 0.30000000000000004)");
    Recordset rs;
    rs.Open("select * from N order by A", db, adOpenKeyset, adLockOptimistic);
    rs.Fields()["T"].Value("changed");
    rs.MoveNext();  // writes the first row
    rs.MoveNext();
    rs.Fields()["T"].Value("was null");
    rs.Update();
    EXPECT_EQ(rs.Fields()["T"].Value(), Variant("was null"));
    rs.Close();
    EXPECT_EQ(column("select T from N order by A"),
              (std::vector<Variant>{"changed", "y", "was null"}));
}

// ---- PostgreSQL ----

class PostgresDriver : public OdbcTest {
  protected:
    void SetUp() override {
        if (const std::string why = postgres_unavailable(); !why.empty()) GTEST_SKIP() << why;
        open(postgres_context());
    }
};

TEST_F(PostgresDriver, RejectedStatementsCarryTheServersSqlstateAndWholeMessage) {
    exec("create table K (Id integer primary key)");
    exec("insert into K values (1)");
    struct Case {
        std::string sql, sqlstate;
        int32_t number;
        std::string message;
    };
    // The first message is the detail line of the server's message: that is kept too.
    const std::vector<Case> cases = {
        {"insert into K values (1)", "23505", integrity_violation, "Key (id)=(1) already exists"},
        {"selec 1", "42601", statement_rejected, "syntax error at or near \"selec\""},
        {"select NoSuch from K", "42703", statement_rejected, "nosuch"},
        {"insert into K values (null)", "23502", integrity_violation, "null value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const ErrorInfo e = raised_by([&] { db->Execute(c.sql); });
        EXPECT_EQ(e.number(), c.number);
        EXPECT_EQ(e.sqlstate(), c.sqlstate);
        EXPECT_EQ(e.source(), "Ortiva.ODBC");
        EXPECT_NE(e.description().find(c.message), std::string::npos) << e.description();
        EXPECT_EQ(e.statement(), c.sql);
    }
}

TEST_F(PostgresDriver, ACommitTheServerRefusesIsAFailureAndEndsTheTransaction) {
    exec("create table P (Id integer primary key)");
    exec("create table C (PId integer references P (Id) deferrable initially deferred)");
    EXPECT_EQ(db->BeginTrans(), 1);
    exec("insert into C values (99)");
    const ErrorInfo e = raised_by([&] { db->CommitTrans(); });
    EXPECT_EQ(e.number(), integrity_violation) << e.description();
    EXPECT_EQ(e.sqlstate(), "23503");
    EXPECT_TRUE(column("select PId from C").empty());
    // Back in autocommit: a statement stands on its own, and there is nothing to commit.
    exec("insert into P values (1)");
    EXPECT_EQ(column("select Id from P").size(), 1u);
    EXPECT_EQ(raised_by([&] { db->CommitTrans(); }).number(), no_transaction);
}

TEST_F(PostgresDriver, ADroppedConnectionReportsTheFailureAndTheNextCallsDoNotHang) {
    const char* admin_text = std::getenv("ORTIVA_PG_ADMIN");
    ASSERT_NE(admin_text, nullptr) << "scripts/with-postgres.sh sets ORTIVA_PG_ADMIN";
    auto admin = Connection::create();
    admin->Open(admin_text);
    exec("create table D (Id integer)");
    db->BeginTrans();
    exec("insert into D values (1)");
    const Variant pid = db->Execute("select pg_backend_pid()")->Fields()[0].Value();
    auto killed =
        admin->Execute("select pg_terminate_backend(" + std::to_string(pid.long_value()) + ")");
    ASSERT_EQ(killed->Fields()[0].Value(), Variant(true));

    const ErrorInfo first = raised_by([&] { db->Execute("select 1"); });
    EXPECT_EQ(first.number(), provider_failure) << first.sqlstate() << " " << first.description();
    EXPECT_FALSE(first.sqlstate().empty());
    // The commit cannot have happened: it is reported, never passed over.
    EXPECT_NE(raised_by([&] { db->CommitTrans(); }).number(), 0);
    for (int call = 0; call < 3; ++call) {
        EXPECT_EQ(raised_by([&] { db->Execute("select 1"); }).number(), provider_failure);
        Recordset rs;
        EXPECT_NE(raised_by([&] {
                      rs.Open("Select * from D", db, adOpenKeyset, adLockOptimistic);
                  }).number(),
                  0);
    }
    EXPECT_TRUE(column("select Id from D").empty());
    db->Close();
    EXPECT_EQ(db->State(), adStateClosed);
}

TEST_F(PostgresDriver, APasswordWithSemicolonAndBraceConnectsAndAWrongOneIsRefused) {
    ASSERT_NE(ctx.password.find(';'), std::string::npos);
    ASSERT_NE(ctx.password.find('}'), std::string::npos);
    EXPECT_EQ(db->State(), adStateOpen);
    EXPECT_EQ(db->Execute("select current_user")->Fields()[0].Value(), Variant(ctx.user));

    for (const std::string& wrong : {ctx.password + "x", std::string("s3cret"), std::string()}) {
        SCOPED_TRACE(wrong);
        const ErrorInfo e = raised_by([&] { connect(wrong); });
        EXPECT_EQ(e.number(), provider_failure);
        EXPECT_EQ(e.source(), "Ortiva.ODBC");
        EXPECT_FALSE(e.sqlstate().empty());
        // Nothing of the connection string, which holds the password, reaches the error.
        if (!wrong.empty()) {
            EXPECT_EQ(e.description().find(wrong), std::string::npos) << e.description();
        }
        EXPECT_TRUE(e.statement().empty());
    }
}

TEST_F(PostgresDriver, AQueryKeptPreparedReadsATableAnotherConnectionMadeAgain) {
    exec("create table S (Id integer primary key, Name text)");
    exec("insert into S values (1, 'one')");
    auto read = [&] {
        std::vector<Variant> out;
        auto rs = db->Execute("select * from S");
        for (int32_t i = 0; i < rs->Fields().Count(); ++i)
            out.push_back(rs->Fields()[i].Value());
        return out;
    };
    EXPECT_EQ(read(), (std::vector<Variant>{1, "one"}));
    other->Execute("drop table S");
    other->Execute("create table S (Name text, Id text, Extra integer)");
    other->Execute("insert into S values ('two', '2', 3)");
    EXPECT_EQ(read(), (std::vector<Variant>{"two", "2", 3}));
}

TEST_F(PostgresDriver, NumericReadsAsLongWhenWholeAndWithinLongElseAsDouble) {
    exec("create table Q (Id integer primary key, V numeric(14, 2))");
    exec(
        "insert into Q values (1, 12.00), (2, 12.50), (3, -2147483648), (4, 3000000000), "
        "(5, null)");
    EXPECT_EQ(column("select V from Q order by Id"),
              (std::vector<Variant>{int32_t{12}, 12.5, int32_t{-2147483647 - 1}, 3000000000.0,
                                    Variant::null()}));
}

}  // namespace
}  // namespace ortiva::testing
