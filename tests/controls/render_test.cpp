// The printed forms of controls: what the command line shows and failing tests print.

#include <gtest/gtest.h>

#include "ortiva/memory_controls.hpp"

namespace ortiva::memory {
namespace {

const Variant none = Variant::missing();

TEST(Render, ListViewIsATableUnderItsHeadersWithTheSelectionMarked) {
    auto lvw = create_control("ListView", "lvwItems");
    auto headers = get_object(*lvw, "ColumnHeaders");
    for (const char* h : {"No", "Code", "Name"})
        headers->call("Add", {none, none, Variant(h)});
    auto items = get_object(*lvw, "ListItems");
    items->call("Add", {none, none, Variant("1")});
    items->call("Add", {none, none, Variant("2")});
    auto first = get_object(*items, "Item", {Variant(1)});
    first->let("SubItems", Variant("A1"), {Variant(1)});
    first->let("SubItems", Variant("Hammer"), {Variant(2)});
    auto second = get_object(*items, "Item", {Variant(2)});
    second->let("SubItems", Variant("Saw"), {Variant(2)});
    second->let("Selected", Variant(true));
    EXPECT_EQ(
        "ListView \"lvwItems\" (2 rows)\n"
        "      | No | Code | Name\n"
        "  ----+----+------+-------\n"
        "    1 | 1  | A1   | Hammer\n"
        "  > 2 | 2  |      | Saw\n",
        render(*lvw));
}

TEST(Render, TreeIsIndentedWithKeys) {
    auto tvw = create_control("TreeView", "tvw");
    auto nodes = get_object(*tvw, "Nodes");
    nodes->call("Add", {none, none, Variant("RItems"), Variant("Items")});
    nodes->call("Add", {Variant("RItems"), Variant(4), Variant("RItemsL0Tools"), Variant("Tools")});
    nodes->call("Add", {Variant("RItemsL0Tools"), Variant(4), Variant("RItemsL0ToolsL1Saw"),
                        Variant("Saw")});
    nodes->call("Add", {Variant("RItems"), Variant(4), Variant("RItemsL0Paint"), Variant("Paint")});
    EXPECT_EQ(
        "TreeView \"tvw\" (4 nodes)\n"
        "  Items  [RItems]\n"
        "    Tools  [RItemsL0Tools]\n"
        "      Saw  [RItemsL0ToolsL1Saw]\n"
        "    Paint  [RItemsL0Paint]\n",
        render(*tvw));
}

TEST(Render, GridIsATableWithARuleUnderItsFixedRows) {
    auto grid = create_control("MSFlexGrid", "grd");
    grid->let("Rows", Variant(3));
    grid->let("Cols", Variant(3));
    grid->let("TextMatrix", Variant("Code"), {Variant(0), Variant(1)});
    grid->let("TextMatrix", Variant("Name"), {Variant(0), Variant(2)});
    grid->let("TextMatrix", Variant("A"), {Variant(1), Variant(1)});
    grid->let("TextMatrix", Variant("Äpfel"), {Variant(1), Variant(2)});  // width by character
    EXPECT_EQ(
        "MSFlexGrid \"grd\" (3 x 3)\n"
        "  0 |  | Code | Name\n"
        "  --+--+------+------\n"
        "  1 |  | A    | Äpfel\n"
        "  2 |  |      |\n",
        render(*grid));
}

TEST(Render, FormPrintsItsControlsIndented) {
    auto form = create_control("Form", "frmMain");
    auto combo = create_control("ComboBox", "cbo");
    combo->call("AddItem", {Variant("APPLE")});
    combo->let("ItemData", Variant(12), {Variant(0)});
    combo->call("AddItem", {Variant("APRICOT")});
    combo->let("ItemData", Variant(13), {Variant(1)});
    combo->let("ListIndex", Variant(1));
    combo->let("SelStart", Variant(3));
    combo->let("SelLength", Variant(9));
    add_control(*form, combo);
    auto box = create_control("TextBox", "txt");
    box->let("Enabled", Variant(false));
    add_control(*form, box);
    add_control(*form, create_control("CheckBox", "chk"));
    EXPECT_EQ(
        "Form \"frmMain\" (3 controls)\n"
        "  ComboBox \"cbo\" text=\"APRICOT\" sel=3+4\n"
        "      0 | APPLE   | (12)\n"
        "    > 1 | APRICOT | (13)\n"
        "  TextBox \"txt\" disabled text=\"\"\n"
        "  CheckBox \"chk\" value=0\n",
        render(*form));
}

}  // namespace
}  // namespace ortiva::memory
