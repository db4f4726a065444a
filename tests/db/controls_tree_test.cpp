#include <string>
#include <vector>

#include "db/db_fixture.hpp"
#include "support/controls.hpp"

namespace ortiva::testing {
namespace {

// key, text, parent key, in display order
using Tree = std::vector<std::vector<std::string>>;

Tree nodes_of(const HostObject& tree) {
    Tree out;
    for (const auto& n : memory::tree_nodes(tree))
        out.push_back({n.key, n.text, n.parent_key});
    return out;
}

class PopulateTreeTest : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        create_table("ITEMS", "SEQ " + ctx().int_type + ", GRP " + ctx().text_type + ", NAME " +
                                  ctx().text_type);
        exec("insert into ITEMS values (1, 'Tools', 'Hammer')");
        exec("insert into ITEMS values (2, 'Tools', 'Saw')");
        exec("insert into ITEMS values (3, 'Paint', 'Brush')");
    }

    HostObjectPtr tree = memory::create_control("TreeView", "tvw");
    std::shared_ptr<HeadlessRuntime> runtime = quiet_runtime();
    ScopedHostRuntime scope{runtime};
    const std::string query = "select GRP as \"GROUP\", NAME from ITEMS order by SEQ";
};
ORTIVA_DB_DRIVERS(PopulateTreeTest);

TEST_P(PopulateTreeTest, WorkedExampleWithTitle) {
    db.PopulateTree(*tree, query, "Items", {"GROUP", "NAME"});
    EXPECT_EQ(nodes_of(*tree),
              (Tree{
                  {"RItems", "Items", ""},
                  {"RItemsL0GROUPTools", "Tools", "RItems"},
                  {"RItemsL0GROUPToolsL1NAMEHammer", "Hammer", "RItemsL0GROUPTools"},
                  {"RItemsL0GROUPToolsL1NAMESaw", "Saw", "RItemsL0GROUPTools"},
                  {"RItemsL0GROUPPaint", "Paint", "RItems"},
                  {"RItemsL0GROUPPaintL1NAMEBrush", "Brush", "RItemsL0GROUPPaint"},
              }));
    EXPECT_EQ(db.LastExecutedSql(), query);
    EXPECT_EQ(runtime->pointer_history(), (std::vector<int32_t>{11, 0}));

    // A second identical call adds nothing.
    const Tree first = nodes_of(*tree);
    db.PopulateTree(*tree, query, "Items", {"GROUP", "NAME"});
    EXPECT_EQ(nodes_of(*tree), first);
}

TEST_P(PopulateTreeTest, TitleIsUsedUntrimmedAndEntriesMatchTrimmedCaseBlind) {
    db.PopulateTree(*tree, "select GRP, NAME from ITEMS where SEQ = 3", " My ", {" grp ", "Name"});
    EXPECT_EQ(nodes_of(*tree), (Tree{
                                   {"R My ", " My ", ""},
                                   {"R My L0 grp Paint", "Paint", "R My "},
                                   {"R My L0 grp PaintL1NameBrush", "Brush", "R My L0 grp Paint"},
                               }));
}

TEST_P(PopulateTreeTest, FieldsAreMatchedByTheirFirstPositionAndATrailingRowguidIsIgnored) {
    struct Case {
        std::string query;
        VariantArray names;
        Tree nodes;
    };
    const Case cases[] = {
        {"select GRP as X, NAME as X from ITEMS where SEQ = 1", {"x"}, {{"L0xTools", "Tools", ""}}},
        {"select NAME, GRP as rowguid from ITEMS where SEQ = 1", {"ROWGUID"}, {}},
        {"select GRP as rowguid, NAME from ITEMS where SEQ = 1",
         {"ROWGUID"},
         {{"L0ROWGUIDTools", "Tools", ""}}},
        {"select NAME, GRP as RowGuid from ITEMS where SEQ = 1",
         {"name"},
         {{"L0nameHammer", "Hammer", ""}}},
    };
    for (const auto& c : cases) {
        auto t = memory::create_control("TreeView", "t");
        db.PopulateTree(*t, c.query, "", c.names);
        EXPECT_EQ(nodes_of(*t), c.nodes) << c.query;
    }
}

// A title of spaces is no title: the groups are top-level nodes.
TEST_P(PopulateTreeTest, AnUnmatchedNameStopsThatLevelAndTheLevelsBelow) {
    db.PopulateTree(*tree, query, "   ", {"GROUP", "NOPE", "NAME"});
    EXPECT_EQ(nodes_of(*tree),
              (Tree{{"L0GROUPTools", "Tools", ""}, {"L0GROUPPaint", "Paint", ""}}));
}

TEST_P(PopulateTreeTest, ThePointerShowsBusyOnlyWhileRecordsAreWalked) {
    db.PopulateTree(*tree, query + " limit 0", "Items", {"GROUP"});
    EXPECT_EQ(nodes_of(*tree), (Tree{{"RItems", "Items", ""}}));
    EXPECT_TRUE(runtime->pointer_history().empty());

    // No levels: only the title, but the records are still walked.
    db.PopulateTree(*tree, query, "Items", VariantArray{});
    EXPECT_EQ(nodes_of(*tree), (Tree{{"RItems", "Items", ""}}));
    EXPECT_EQ(runtime->pointer_history(), (std::vector<int32_t>{11, 0}));
}

TEST_P(PopulateTreeTest, FailuresAreNeverRaised) {
    // A rejected query still gives the title node.
    EXPECT_NO_THROW(db.PopulateTree(*tree, "select nonsense from nowhere", "Items", {"GROUP"}));
    EXPECT_EQ(nodes_of(*tree), (Tree{{"RItems", "Items", ""}}));
    EXPECT_EQ(db.LastExecutedSql(), "select nonsense from nowhere");
    EXPECT_TRUE(runtime->pointer_history().empty());

    // A Null group: the tree refuses the node, and the name below it finds no parent.
    exec("insert into ITEMS values (5, NULL, 'Loose')");
    auto t = memory::create_control("TreeView", "t");
    EXPECT_NO_THROW(db.PopulateTree(*t, query, "", {"GROUP", "NAME"}));
    EXPECT_EQ(nodes_of(*t).size(), 5u);

    // Not a tree view at all.
    auto list = memory::create_control("ListBox", "l");
    EXPECT_NO_THROW(db.PopulateTree(*list, query, "Items", {"GROUP"}));

    ClsCommonDb fresh;
    EXPECT_NO_THROW(fresh.PopulateTree(*tree, query, "Other", {"GROUP"}));
    EXPECT_EQ(nodes_of(*tree).back(), (std::vector<std::string>{"ROther", "Other", ""}));
}

}  // namespace
}  // namespace ortiva::testing
