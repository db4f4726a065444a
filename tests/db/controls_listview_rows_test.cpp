#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "support/controls.hpp"

namespace ortiva::testing {
namespace {

using Strings = std::vector<std::string>;

constexpr const char* column_message =
    "No of Columns in the list should be equal to Field  names supplied";
constexpr const char* index_message = "The index Should not exceed Number of Rows in the listview";

// Four rows numbered 1-4 in column 1, named a-d in column 2, numbered 11-14 in column 3.
HostObjectPtr numbered() {
    return list_view_with(3,
                          {{"1", "a", "11"}, {"2", "b", "12"}, {"3", "c", "13"}, {"4", "d", "14"}});
}

std::vector<std::string> column(HostObject& lvw, std::size_t c) {
    std::vector<std::string> out;
    for (const auto& row : cells(lvw))
        out.push_back(row.at(c));
    return out;
}

void select_row(HostObject& lvw, int32_t row) {
    get_object(lvw, "ListItems", {Variant(row)})->let("Selected", Variant(true));
}

// The list view members need no database.
class ListviewRowsTest : public ::testing::Test {
  protected:
    ClsCommonDb db;
};

TEST_F(ListviewRowsTest, InsertAppendsAtZeroAndReportsThePosition) {
    auto lvw = numbered();
    int16_t index = 0;
    EXPECT_TRUE(db.fnInsertListview(*lvw, index, {"x", "e", Variant(int16_t{15})}));
    EXPECT_EQ(index, 5);
    EXPECT_EQ(cells(*lvw).back(), (Strings{"x", "e", "15"}));
    EXPECT_EQ(column(*lvw, 0), (Strings{"1", "2", "3", "4", "x"}));  // no marker, no renumbering
}

TEST_F(ListviewRowsTest, InsertSerialMarkerRenumbersEveryRow) {
    struct Case {
        VariantArray cells;
        std::size_t serial_column;
        Strings serials, names;
    };
    const Case cases[] = {
        {{"SLNO", "new", "99"}, 0, {"1", "2", "3", "4", "5"}, {"a", "new", "b", "c", "d"}},
        {{"0", "new", "slno"}, 2, {"1", "2", "3", "4", "5"}, {"a", "new", "b", "c", "d"}},
    };
    for (const auto& c : cases) {
        auto lvw = numbered();
        int16_t index = 2;
        EXPECT_TRUE(db.fnInsertListview(*lvw, index, c.cells));
        EXPECT_EQ(index, 2);
        EXPECT_EQ(column(*lvw, c.serial_column), c.serials);
        EXPECT_EQ(column(*lvw, 1), c.names);
    }
}

TEST_F(ListviewRowsTest, InsertChecksFailBeforeTheListChanges) {
    struct Case {
        int16_t index;
        VariantArray cells;
        const char* message;
    };
    const Case cases[] = {
        {5, {"SLNO", "x", "y"}, index_message},
        {0, {"SLNO", "x", "y", "z"}, column_message},
        {0, {"SLNO", "x"}, column_message},
    };
    for (const auto& c : cases) {
        auto lvw = numbered();
        const Cells before = cells(*lvw);
        int16_t index = c.index;
        const ErrorInfo e = raised_by([&] { db.fnInsertListview(*lvw, index, c.cells); });
        EXPECT_EQ(e.number(), err::app_defined);
        EXPECT_EQ(e.description(), c.message);
        EXPECT_EQ(e.source(), "");
        EXPECT_EQ(cells(*lvw), before);
        EXPECT_EQ(index, c.index);
    }
}

TEST_F(ListviewRowsTest, DeleteCriteriaRemovesOneMatchAndRenumbersFromThere) {
    auto lvw = list_view_with(2, {{"1", "a"}, {"2", "b"}, {"3", "c"}, {"3", "d"}, {"5", "e"}});
    // The row that moves up into the removed position is not compared again.
    EXPECT_TRUE(db.fnDeleteListview(false, *lvw, true, Variant("3"), 0));
    EXPECT_EQ(cells(*lvw), (Cells{{"1", "a"}, {"2", "b"}, {"3", "d"}, {"4", "e"}}));
}

TEST_F(ListviewRowsTest, DeleteRemovingTheFirstRowHandsItsNumberOn) {
    for (int16_t col : {0, 2}) {
        auto lvw = list_view_with(3, {{"7", "a", "7"}, {"8", "b", "8"}, {"9", "c", "9"}});
        EXPECT_TRUE(db.fnDeleteListview(false, *lvw, true, Variant("7"), col));
        EXPECT_EQ(column(*lvw, col == 0 ? 0 : 2), (Strings{"7", "8"})) << "column " << col;
        EXPECT_EQ(column(*lvw, 1), (Strings{"b", "c"}));
    }
}

TEST_F(ListviewRowsTest, DeleteTextColumnIsTrimmedSubItemsAreNot) {
    struct Case {
        std::vector<std::string> row;
        const char* criteria;
        int16_t col;
        bool found;
    };
    const Case cases[] = {
        {{"3", "x", "3"}, " 3 ", 0, true},   {{"a", "x", "3"}, " 3 ", 2, false},
        {{"a", "x", " 3 "}, " 3 ", 2, true}, {{"3", "x", "3"}, "3", -1, false},
        {{"B", "x", "x"}, "b", 0, false},  // letter case counts
    };
    for (const auto& c : cases) {
        auto lvw = list_view_with(3, {c.row});
        EXPECT_EQ(db.fnDeleteListview(false, *lvw, false, Variant(c.criteria), c.col), c.found)
            << "'" << c.criteria << "' in column " << c.col;
        EXPECT_EQ(cells(*lvw).empty(), c.found);
    }
}

TEST_F(ListviewRowsTest, DeleteNoCriteriaRemovesNothing) {
    for (const Variant& criteria :
         {Variant::missing(), Variant(), Variant::null(), Variant(""), Variant(int16_t{0})}) {
        auto lvw = list_view_with(1, {{""}, {"0"}});
        EXPECT_FALSE(db.fnDeleteListview(false, *lvw, true, criteria));
        EXPECT_EQ(cells(*lvw).size(), 2u);
    }
}

TEST_F(ListviewRowsTest, DeleteSelectedRowIsRemovedAndTheRestRenumbered) {
    auto lvw = numbered();
    select_row(*lvw, 2);
    EXPECT_TRUE(db.fnDeleteListview(true, *lvw, true, Variant("ignored"), 2));
    EXPECT_EQ(cells(*lvw), (Cells{{"1", "a", "11"}, {"3", "c", "12"}, {"4", "d", "13"}}));

    select_row(*lvw, 1);
    EXPECT_TRUE(db.fnDeleteListview(true, *lvw, true));
    EXPECT_EQ(cells(*lvw), (Cells{{"1", "c", "12"}, {"2", "d", "13"}}));
}

TEST_F(ListviewRowsTest, DeleteSelectedModeWithoutRenumberingNeverReadsNumbers) {
    auto lvw = list_view_with(1, {{"x"}, {"y"}});
    select_row(*lvw, 2);
    EXPECT_TRUE(db.fnDeleteListview(true, *lvw, false));
    EXPECT_EQ(first_column(*lvw), (Strings{"x"}));

    auto single = list_view_with(1, {{"5"}});
    select_row(*single, 1);
    EXPECT_TRUE(db.fnDeleteListview(true, *single, true));  // nothing left to renumber
    EXPECT_TRUE(cells(*single).empty());
}

TEST_F(ListviewRowsTest, DeleteFailuresKeepWhatWasDone) {
    auto lvw = list_view_with(1, {{"1"}, {"2"}});
    EXPECT_EQ(raised_by([&] { db.fnDeleteListview(true, *lvw, false); }).number(),
              err::object_not_set);
    EXPECT_EQ(cells(*lvw).size(), 2u);

    // The row above the removed one is not a number: the removal stays.
    auto words = list_view_with(1, {{"one"}, {"2"}, {"3"}});
    EXPECT_EQ(raised_by([&] { db.fnDeleteListview(false, *words, true, Variant("2")); }).number(),
              err::type_mismatch);
    EXPECT_EQ(first_column(*words), (Strings{"one", "3"}));
}

}  // namespace
}  // namespace ortiva::testing
