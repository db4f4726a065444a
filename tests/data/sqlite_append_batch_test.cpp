// Rows appended one after another through a keyset share one implicit transaction: one commit
// for a grid of lines, and every row written so far committed whatever ends the cursor.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "conformance/db_context.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/recordset.hpp"

namespace ortiva::testing {
namespace {

class AppendBatch : public ::testing::Test {
  protected:
    void SetUp() override {
        source = "Data Source=" + (dir.path() / "batch.db").string();
        writer = open();
        writer->Execute("create table T (Id integer, Name text)");
        reader = open();
    }
    std::shared_ptr<Connection> open() {
        auto c = Connection::create();
        c->Open(source);
        return c;
    }
    int32_t rows_seen_by_reader() {
        return reader->Execute("select count(*) from T")->Fields()[0].Value().long_value();
    }
    void append(Recordset& rs, int32_t id) {
        rs.AddNew();
        rs.Fields()[0].Value(id);
        rs.Fields()[1].Value("line " + std::to_string(id));
    }

    TempDir dir;
    std::string source;
    std::shared_ptr<Connection> writer;
    std::shared_ptr<Connection> reader;
};

TEST_F(AppendBatch, RowsCommitTogetherAndThoseWaitingFollowTheCallersTransaction) {
    Recordset rs;
    rs.Open("Select * from T", writer, adOpenKeyset, adLockOptimistic);
    for (int32_t id = 1; id <= 3; ++id)
        append(rs, id);
    EXPECT_EQ(rows_seen_by_reader(), 0) << "rows are committed together, not one by one";
    rs.UpdateBatch(adAffectAll);
    EXPECT_EQ(rows_seen_by_reader(), 3);
    append(rs, 4);
    rs.Update();
    append(rs, 5);
    // Row 4 is committed when the caller's transaction begins; row 5 waits for the next write,
    // which that transaction then holds.
    EXPECT_EQ(writer->BeginTrans(), 1);
    append(rs, 6);
    rs.UpdateBatch(adAffectAll);
    EXPECT_EQ(rows_seen_by_reader(), 4);
    writer->RollbackTrans();
    rs.Close();
    EXPECT_EQ(rows_seen_by_reader(), 4);
}

}  // namespace
}  // namespace ortiva::testing
