#include <string>
#include <vector>

#include "db/controls_helpers.hpp"
#include "db/db_fixture.hpp"

namespace ortiva::testing {
namespace {

const std::string hint = "\rHINT: Check whether Properties assigned";
const std::string size_message =
    "Supplied parameter values should be equal to no of fields in Table";

// A grid of the given lines below its header row; "" leaves a cell empty.
HostObjectPtr grid(const std::vector<std::vector<std::string>>& lines) {
    auto g = memory::create_control("MSFlexGrid", "mfg");
    g->let("Cols", Variant(int32_t{4}));
    g->let("Rows", Variant(static_cast<int32_t>(lines.size() + 1)));
    for (std::size_t r = 0; r < lines.size(); ++r) {
        for (std::size_t c = 0; c < lines[r].size(); ++c) {
            g->let("TextMatrix", Variant(lines[r][c]),
                   {Variant(static_cast<int32_t>(r + 1)), Variant(static_cast<int32_t>(c))});
        }
    }
    return g;
}

class BulkInsertTest : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("LINES", "NO " + ctx().int_type + ", ITEM " + ctx().text_type + ", NOTE " +
                                  ctx().text_type);
        db.strTableName("LINES");
    }

    Rows stored() { return rows("select NO, ITEM, NOTE from LINES order by NO"); }
};
INSTANTIATE_TEST_SUITE_P(Drivers, BulkInsertTest, ::testing::ValuesIn(db_contexts()),
                         ContextName{});

TEST_P(BulkInsertTest, GridLinesGetRunningNumbersAcrossCalls) {
    auto g = grid({{"", "k1", "Saw"}, {"", "", "skipped"}, {"", "  ", "Drill"}});
    VariantArray map{"N", Variant(int32_t{10}), "C", Variant(int16_t{2}), "V", "fixed"};
    EXPECT_TRUE(db.fnInsertGridDetails(*g, map));
    EXPECT_EQ(db.LastExecutedSql(), "Select * from LINES");
    EXPECT_EQ(map[1], Variant(int32_t{12}));
    EXPECT_EQ(map[3], Variant(int16_t{2}));

    EXPECT_TRUE(db.fnInsertGridDetails(*g, map));
    EXPECT_EQ(map[1], Variant(int32_t{14}));
    const Rows r = stored();
    ASSERT_EQ(r.size(), 4u);
    const std::vector<std::string> items{"Saw", "Drill", "Saw", "Drill"};
    for (std::size_t i = 0; i < r.size(); ++i) {
        EXPECT_EQ(to_int32(r[i][0]), static_cast<int32_t>(10 + i));
        EXPECT_EQ(to_text(r[i][1]), items[i]);
        EXPECT_EQ(to_text(r[i][2]), "fixed");
    }
}

TEST_P(BulkInsertTest, MarkersAreCaseBlindButNotSpaceBlind) {
    auto g = grid({{"", "x", "Cell"}});
    // " c" is a running-number marker: its value 5 is stored and advanced.
    VariantArray map{" c", Variant(int16_t{5}), "c", Variant(int16_t{2}), "v", "fixed"};
    db.fnInsertGridDetails(*g, map);
    EXPECT_EQ(map[1], Variant(int16_t{6}));
    const Rows r = stored();
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(to_int32(r[0][0]), 5);
    EXPECT_EQ(to_text(r[0][1]), "Cell");
    EXPECT_EQ(to_text(r[0][2]), "fixed");
}

TEST_P(BulkInsertTest, RunningValuesKeepTheirKind) {
    struct Case {
        Variant start, next;
    };
    const Case cases[] = {
        {Variant(int16_t{32767}), Variant(int32_t{32768})},
        {Variant("7"), Variant(8.0)},
        {Variant(), Variant(int16_t{1})},
        {Variant(2.5), Variant(3.5)},
    };
    for (const auto& c : cases) {
        auto g = grid({{"", "x"}});
        VariantArray map{"R", c.start, "V", "i", "V", "n"};
        db.fnInsertGridDetails(*g, map);
        EXPECT_EQ(map[1], c.next);
    }
}

TEST_P(BulkInsertTest, FieldMapMustPairEveryFieldBeforeATrailingRowguid) {
    struct Case {
        std::string columns;
        std::size_t entries;
        bool fits;
    };
    const std::string t = ctx().text_type;
    const Case cases[] = {
        {"Id " + t + ", Name " + t + ", ROWGUID " + t, 4, true},
        {"Id " + t + ", Name " + t + ", rowguid " + t, 6, false},
        {"ROWGUID " + t + ", Id " + t + ", Name " + t, 4, false},
        {"Id " + t + ", Name " + t, 5, false},
        {"Id " + t + ", Name " + t + ", Other " + t, 5, false},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string table = "T" + std::to_string(++n);
        create_table(table, c.columns);
        db.strTableName(table);
        std::vector<Variant> items;
        for (std::size_t i = 0; i < c.entries; ++i)
            items.push_back(i % 2 == 0 ? Variant("V") : Variant("x"));
        VariantArray map(items);
        auto g = grid({{"", "filled"}});
        if (c.fits) {
            EXPECT_TRUE(db.fnInsertGridDetails(*g, map));
            EXPECT_EQ(rows("select * from " + table).size(), 1u);
        } else {
            const ErrorInfo e = raised_by([&] { db.fnInsertGridDetails(*g, map); });
            EXPECT_EQ(e.number(), 1) << c.columns;
            EXPECT_EQ(e.description(), size_message);
            EXPECT_EQ(e.source(), "");
            EXPECT_TRUE(rows("select * from " + table).empty());
        }
    }
}

TEST_P(BulkInsertTest, EmptyControlsStoreNothing) {
    VariantArray map{"N", Variant(int16_t{1}), "C", Variant(int16_t{1}), "V", "x"};
    auto header_only = grid({});
    EXPECT_TRUE(db.fnInsertGridDetails(*header_only, map));
    auto lvw = list_view(3);
    EXPECT_TRUE(db.fnUpdateListViewDetails(*lvw, map));
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(map[1], Variant(int16_t{1}));
}

TEST_P(BulkInsertTest, ListViewRowsUseTextAndSubItems) {
    // The second row has text but an empty first sub-item: skipped.
    auto lvw = list_view_with(3, {{"Saw", "a", "n1"}, {"Hammer", "", "n2"}, {"Drill", "c", ""}});
    VariantArray map{"N", Variant(int16_t{1}), "C", Variant(int16_t{0}), "C", Variant(int16_t{2})};
    EXPECT_TRUE(db.fnUpdateListViewDetails(*lvw, map));
    const Rows r = stored();
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(to_text(r[0][1]), "Saw");
    EXPECT_EQ(to_text(r[0][2]), "n1");
    EXPECT_EQ(to_text(r[1][1]), "Drill");
    EXPECT_EQ(to_text(r[1][2]), "");
    EXPECT_EQ(map[1], Variant(int16_t{3}));
}

TEST_P(BulkInsertTest, RunningNumbersHandedOutBeforeAFailureStayAdvanced) {
    auto g = grid({{"", "x"}, {"", "y"}});
    VariantArray map{"N", Variant(int16_t{1}), "N", Variant("not a number"), "V", "x"};
    const ErrorInfo e = raised_by([&] { db.fnInsertGridDetails(*g, map); });
    EXPECT_EQ(e.number(), err::type_mismatch);
    EXPECT_EQ(map[1], Variant(int16_t{2}));
    EXPECT_EQ(map[3], Variant("not a number"));
}

TEST_P(BulkInsertTest, WithoutAConnectionTheHintIsAdded) {
    ClsCommonDb fresh;
    fresh.strTableName("LINES");
    VariantArray map{"N", Variant(int16_t{1})};
    auto g = grid({{"", "x"}});
    auto lvw = list_view_with(2, {{"a", "b"}});
    for (const ErrorInfo& e : {raised_by([&] { fresh.fnInsertGridDetails(*g, map); }),
                               raised_by([&] { fresh.fnUpdateListViewDetails(*lvw, map); })}) {
        EXPECT_EQ(e.number(), err::ado_connection_unusable);
        ASSERT_GT(e.description().size(), hint.size());
        EXPECT_EQ(e.description().substr(e.description().size() - hint.size()), hint);
    }
    EXPECT_EQ(fresh.LastExecutedSql(), "Select * from LINES");
    EXPECT_EQ(map[1], Variant(int16_t{1}));
}

}  // namespace
}  // namespace ortiva::testing
