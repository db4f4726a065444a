// What the Qt adapters must do beyond the shared suites: the widget itself shows what the
// members said, and Qt's own habits (selecting a first entry, sorting, internal child
// widgets) do not leak through.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <memory>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/qt_controls.hpp"
#include "qt_context.hpp"
#include "support/raised.hpp"

namespace ortiva::qt_test {
namespace {

using ortiva::testing::error_of;

QStringList top_texts(const QTreeWidget& tree, int column) {
    QStringList out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        out << tree.topLevelItem(i)->text(column);
    return out;
}

TEST(QtWidgets, ComboEntriesLiveInTheWidgetWithoutQtsFirstSelection) {
    QComboBox widget;
    widget.setEditable(true);
    widget.setEditText("typed");
    auto combo = qt::wrap(&widget);
    combo->call("AddItem", {Variant("TOOLS")});
    combo->let("ItemData", Variant(7), {Variant(0)});
    combo->call("AddItem", {Variant("PAINT")});
    EXPECT_EQ(-1, widget.currentIndex());
    EXPECT_EQ("typed", widget.currentText());
    EXPECT_EQ(7, widget.itemData(0, Qt::UserRole).toInt());
    combo->let("ListIndex", Variant(1));
    EXPECT_EQ("PAINT", widget.currentText());
    combo->let("ListIndex", Variant(-1));
    EXPECT_EQ(-1, widget.currentIndex());
    EXPECT_EQ("", widget.lineEdit()->text());
    // Entries the host put in the widget itself read back through the members.
    widget.addItem("GARDEN", 3);
    EXPECT_EQ(3, to_int32(combo->get("ItemData", {Variant(2)})));
}

TEST(QtWidgets, FormControlsAreTheNamedWidgetsNotQtsParts) {
    QWidget window;
    window.setObjectName("frmMain");
    auto* tabs = new QTabWidget(&window);
    tabs->setObjectName("tabs");
    auto* page = new QWidget;
    auto* tree = new QTreeWidget(page);
    tree->setObjectName("lvwRows");
    auto* grid = new QTableWidget(3, 3, page);
    grid->setObjectName("grdLines");
    new QLineEdit(page);  // unnamed: not a control
    auto* edit = new QLineEdit(page);
    edit->setObjectName("txtName");
    tabs->addTab(page, "Page");
    auto* combo = new QComboBox(&window);
    combo->setObjectName("cboKind");
    combo->setEditable(true);

    auto form = qt::wrap(&window);
    auto controls = get_object(*form, "Controls");
    std::vector<std::string> seen;
    for (int32_t i = 0; i < to_int32(controls->get("Count")); ++i) {
        auto c = get_object(*controls, "Item", {Variant(i)});
        seen.push_back(to_text(c->get("Name")) + ":" + c->type_name());
    }
    EXPECT_EQ(
        (std::vector<std::string>{"tabs:QTabWidget", "lvwRows:ListView", "grdLines:MSFlexGrid",
                                  "txtName:TextBox", "cboKind:ComboBox"}),
        seen);
}

TEST(QtWidgets, RowsInsertAtTheirPositionWhenTheHostSortsTheView) {
    QTreeWidget widget;
    widget.setHeaderLabels({"No", "Name"});
    widget.setSortingEnabled(true);
    auto lvw = qt::wrap(&widget, qt::TreeKind::ListView);
    EXPECT_EQ(2, to_int32(get_object(*lvw, "ColumnHeaders")->get("Count")));
    auto items = get_object(*lvw, "ListItems");
    for (const char* t : {"c", "a"})
        items->call("Add", {Variant::missing(), Variant::missing(), Variant(t)});
    items->call("Add", {Variant(2), Variant::missing(), Variant("b")});
    EXPECT_EQ((QStringList{"c", "b", "a"}), top_texts(widget, 0));
    // A header click still sorts what the user sees.
    widget.header()->setSortIndicator(0, Qt::AscendingOrder);
    EXPECT_EQ((QStringList{"a", "b", "c"}), top_texts(widget, 0));
    EXPECT_EQ("a", to_text(get_object(*lvw, "ListItems", {Variant(1)})->get("Text")));
}

TEST(QtWidgets, RowsAddedWhileHiddenReachTheWidgetWhenItIsShown) {
    QWidget window;
    auto* widget = new QTreeWidget(&window);
    auto lvw = qt::wrap(widget, qt::TreeKind::ListView);
    get_object(*lvw, "ColumnHeaders")
        ->call("Add", {Variant::missing(), Variant::missing(), Variant("Name")});
    lvw->let("Visible", Variant(false));
    auto items = get_object(*lvw, "ListItems");
    for (const char* t : {"one", "two", "three"})
        items->call("Add", {Variant::missing(), Variant("k" + std::string(t)), Variant(t)});
    EXPECT_EQ(3, to_int32(items->get("Count")));
    EXPECT_EQ("two", to_text(items->get("Item", {Variant("ktwo")}).object()->get("Text")));
    // The host shows the widget itself: nothing stays behind.
    widget->show();
    EXPECT_EQ((QStringList{"one", "two", "three"}), top_texts(*widget, 0));
    lvw->let("Visible", Variant(false));
    items->call("Add", {Variant::missing(), Variant::missing(), Variant("four")});
    auto four = get_object(*lvw, "ListItems", {Variant(4)});
    lvw->let("Visible", Variant(true));
    EXPECT_EQ(4, widget->topLevelItemCount());
    EXPECT_EQ(4, to_int32(four->get("Index")));
}

TEST(QtWidgets, TypedKeysGoThroughTheHandler) {
    QLineEdit widget;
    auto box = qt::wrap(&widget);
    std::vector<int16_t> seen;
    qt::set_key_press_handler(*box, [&](HostObject&, int16_t& key) {
        seen.push_back(key);
        if (key >= 'a' && key <= 'z') key = static_cast<int16_t>(key - 'a' + 'A');
        if (key == '!') key = 0;
    });
    type(&widget, QString::fromUtf8("ab!1é"));
    EXPECT_EQ(QString::fromUtf8("AB1é"), widget.text());
    EXPECT_EQ((std::vector<int16_t>{'a', 'b', '!', '1', 0xE9}), seen);
    // A failing handler drops the key and its failure reaches press_key's caller.
    qt::set_key_press_handler(*box, [](HostObject&, int16_t&) { raise(5); });
    EXPECT_EQ(5, error_of([&] { qt::press_key(*box, 'x'); }));
    EXPECT_EQ(QString::fromUtf8("AB1é"), widget.text());
}

TEST(QtWidgets, ControlsOfDestroyedWidgetsFail) {
    auto* widget = new QTreeWidget;
    auto tvw = qt::wrap(widget, qt::TreeKind::TreeView);
    auto nodes = get_object(*tvw, "Nodes");
    auto root = object_of(nodes->call(
        "Add", {Variant::missing(), Variant::missing(), Variant("r"), Variant("Root")}));
    EXPECT_EQ(5, error_of([&] { qt::wrap(widget, qt::TreeKind::ListView); }));
    EXPECT_EQ(tvw, qt::wrap(widget));
    delete widget;
    EXPECT_EQ(35605, error_of([&] { tvw->get("Name"); }));
    EXPECT_EQ(35605, error_of([&] { nodes->get("Count"); }));
    EXPECT_EQ(35605, error_of([&] { root->get("Text"); }));
}

TEST(QtWidgets, GridCellsTheHostFilledReadBack) {
    QTableWidget widget(3, 2);
    widget.setItem(1, 1, new QTableWidgetItem("host"));
    auto grid = qt::wrap(&widget);
    EXPECT_EQ("host", to_text(grid->get("TextMatrix", {Variant(1), Variant(1)})));
    EXPECT_EQ("", to_text(grid->get("TextMatrix", {Variant(2), Variant(0)})));
    grid->let("TextMatrix", Variant(12.5), {Variant(2), Variant(0)});
    EXPECT_EQ("12.5", widget.item(2, 0)->text());
}

}  // namespace
}  // namespace ortiva::qt_test
