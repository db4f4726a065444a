// Behaviour of the in-memory toolkit beyond the shared host-control suites: its factory and
// forms, focus and keys, objects outliving their control, and the C++ view of a tree.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/memory_controls.hpp"
#include "support/raised.hpp"

namespace ortiva::memory {
namespace {

using ortiva::testing::error_of;

const Variant none = Variant::missing();

TEST(MemoryToolkit, MakesEveryKindItListsAndNothingElse) {
    for (const auto& kind : control_kinds())
        EXPECT_EQ(kind, create_control(kind)->type_name());
    EXPECT_EQ("ListView", create_control("listview")->type_name());
    EXPECT_EQ(err::invalid_call, error_of([] { create_control("DataGrid"); }));
}

TEST(MemoryToolkit, FormsRefuseStrayControls) {
    auto form = create_control("Form", "frm");
    auto other = create_control("Form", "frm2");
    auto box = create_control("TextBox", "txtCode");
    add_control(*form, box);
    EXPECT_EQ(err::invalid_call, error_of([&] { add_control(*other, box); }));
    EXPECT_EQ(err::invalid_call,
              error_of([&] { add_control(*form, create_control("Label", "TXTCODE")); }));
    EXPECT_EQ(err::type_mismatch, error_of([&] { add_control(*box, create_control("Label")); }));
}

TEST(MemoryToolkit, OneControlHoldsTheFocusAndItsFormKnowsIt) {
    auto form = create_control("Form", "frm");
    auto a = create_control("TextBox", "a");
    auto b = create_control("ComboBox", "b");
    add_control(*form, a);
    add_control(*form, b);
    EXPECT_EQ(err::object_not_set, error_of([&] { get_object(*form, "ActiveControl"); }));
    a->call("SetFocus");
    b->call("SetFocus");
    EXPECT_FALSE(has_focus(*a));
    EXPECT_TRUE(has_focus(*b));
    EXPECT_EQ(b, get_object(*form, "ActiveControl"));
}

TEST(MemoryToolkit, KeysReachOnlyEnabledVisibleEditControls) {
    auto box = create_control("TextBox", "txt");
    int calls = 0;
    set_key_press_handler(*box, [&](HostObject&, int16_t&) { ++calls; });
    box->let("Enabled", Variant(false));
    EXPECT_EQ(0, press_key(*box, 'a'));
    EXPECT_EQ(0, calls);
    EXPECT_EQ("", to_text(box->get("Text")));
    // A combo box's edit area takes keys too: the type-ahead suite types into one.
    EXPECT_EQ(err::type_mismatch, error_of([] { press_key(*create_control("ListBox"), 'a'); }));
}

TEST(MemoryToolkit, KeysNeverSplitACharacter) {
    auto box = create_control("TextBox", "txt");
    box->let("Text", Variant("a\xF0\x9F\x98\x80"));  // 'a' and an emoji: three UTF-16 units
    box->let("SelStart", Variant(3));
    press_key(*box, 8);
    EXPECT_EQ("a", to_text(box->get("Text")));
    box->let("Text", Variant("\xF0\x9F\x98\x80"));
    box->let("SelStart", Variant(1));  // between the halves of the pair
    press_key(*box, 0xE9);             // Windows-1252 e acute
    EXPECT_EQ("\xF0\x9F\x98\x80\xC3\xA9", to_text(box->get("Text")));
    EXPECT_EQ(3, to_int32(box->get("SelStart")));
}

TEST(MemoryToolkit, ObjectsKeptAfterTheirControlIsGoneFailCleanly) {
    auto lvw = create_control("ListView", "lvw");
    auto items = get_object(*lvw, "ListItems");
    auto row = object_of(items->call("Add", {none, none, Variant("a")}));
    auto tvw = create_control("TreeView", "tvw");
    auto nodes = get_object(*tvw, "Nodes");
    auto top = object_of(nodes->call("Add", {none, none, Variant("k"), Variant("top")}));
    lvw.reset();
    tvw.reset();
    EXPECT_EQ(35605, error_of([&] { items->get("Count"); }));
    EXPECT_EQ(35605, error_of([&] { row->get("Text"); }));
    EXPECT_EQ(35605, error_of([&] { nodes->get("Count"); }));
    EXPECT_EQ(35605, error_of([&] { top->get("Text"); }));
}

// Keys, texts, parents and the display order are the database tree suite's worked examples.
TEST(MemoryToolkit, TreeNodesCountTheirDepth) {
    auto tvw = create_control("TreeView", "tvw");
    auto nodes = get_object(*tvw, "Nodes");
    nodes->call("Add", {none, none, Variant("A"), Variant("a")});
    nodes->call("Add", {none, none, Variant("B"), Variant("b")});
    nodes->call("Add", {Variant("A"), Variant(4), Variant("A1"), Variant("a1")});
    nodes->call("Add", {Variant("A1"), Variant(4), Variant("A11"), Variant("a11")});
    std::vector<std::string> seen;
    for (const auto& n : tree_nodes(*tvw))
        seen.push_back(n.key + ":" + std::to_string(n.depth));
    EXPECT_EQ((std::vector<std::string>{"A:0", "A1:1", "A11:2", "B:0"}), seen);
    EXPECT_EQ(err::type_mismatch, error_of([] { tree_nodes(*create_control("ListView")); }));
}

}  // namespace
}  // namespace ortiva::memory
