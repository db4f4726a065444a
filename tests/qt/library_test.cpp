// Key cases of ClsCommonDb and clsCommonGen on real widgets that the items example does not
// reach: filling, reading and typing into them, with the database on SQLite in memory and
// message boxes answered by the test runtime. The numeric filter on a line edit and grid lines
// stored from a table widget are the example's invoice and item form cases; a missing required
// field is the forms suite's case, with the Qt message box and focus checked by the Qt runtime
// and toolkit suites.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>
#include <memory>

#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"
#include "qt_context.hpp"

namespace ortiva::qt_test {
namespace {

class QtLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        auto conn = Connection::create();
        conn->Open("Data Source=:memory:");
        conn->Execute("CREATE TABLE Categories (Code INTEGER, Name VARCHAR(40))");
        conn->Execute("INSERT INTO Categories VALUES (1,'TOOLS'),(2,'PAINT'),(3,'PLUMBING')");
        conn->Execute("CREATE TABLE Items (Code INTEGER, Name VARCHAR(40), Category INTEGER)");
        for (int i = 1; i <= 250; ++i) {
            conn->Execute("INSERT INTO Items VALUES (" + std::to_string(i) + ", 'Item " +
                          std::to_string(i) + "', " + std::to_string(i % 3 + 1) + ")");
        }
        db.adocon(conn);
        db.strTableName("Categories");
    }

    std::shared_ptr<AnsweringRuntime> runtime = std::make_shared<AnsweringRuntime>();
    ScopedHostRuntime scope{runtime};
    ClsCommonDb db;
    clsCommonGen gen;
};

TEST_F(QtLibrary, PopulateComboOrListKeepsTheSelectionByText) {
    QComboBox widget;
    widget.setEditable(true);
    widget.setEditText("paint");
    auto combo = qt::wrap(&widget);
    db.PopulateComboOrList(*combo, "Code", "Name");
    ASSERT_EQ(3, widget.count());
    EXPECT_EQ(1, widget.currentIndex());
    EXPECT_EQ(2, widget.itemData(1, Qt::UserRole).toInt());
    gen.SelectComboItemByValue(*combo, 3);
    EXPECT_EQ("PLUMBING", widget.currentText());
}

TEST_F(QtLibrary, PopulateListviewFillsTheWidgetAndSelectsTheFirstRow) {
    QWidget window;
    auto* widget = new QTreeWidget(&window);
    widget->setHeaderLabels({"S.No", "Code", "Name"});
    auto lvw = qt::wrap(widget, qt::TreeKind::ListView);
    std::string condition = " Code > 10 ";
    db.PopulateListview(*lvw, "Items", condition, {"SLNO", "Code", "Name"});
    ASSERT_EQ(240, widget->topLevelItemCount());
    EXPECT_FALSE(widget->isHidden());
    QTreeWidgetItem* last = widget->topLevelItem(239);
    EXPECT_EQ("240", last->text(0));
    EXPECT_EQ("250", last->text(1));
    EXPECT_EQ("Item 250", last->text(2));
    EXPECT_TRUE(widget->topLevelItem(0)->isSelected());
    EXPECT_EQ(1, to_int32(get_object(*lvw, "SelectedItem")->get("Index")));
}

TEST_F(QtLibrary, ListviewRowsInsertAndDeleteWithTheSerialColumnRenumbered) {
    QTreeWidget widget;
    widget.setHeaderLabels({"S.No", "Name"});
    widget.setSortingEnabled(true);
    auto lvw = qt::wrap(&widget, qt::TreeKind::ListView);
    for (const char* name : {"zeta", "alpha"}) {
        int16_t at = 0;
        db.fnInsertListview(*lvw, at, {"SLNO", name});
    }
    int16_t at = 1;
    db.fnInsertListview(*lvw, at, {"SLNO", "middle"});
    ASSERT_EQ(3, widget.topLevelItemCount());
    EXPECT_EQ("middle", widget.topLevelItem(0)->text(1));
    EXPECT_EQ("3", widget.topLevelItem(2)->text(0));
    widget.setCurrentItem(widget.topLevelItem(1));
    db.fnDeleteListview(true, *lvw, true);
    ASSERT_EQ(2, widget.topLevelItemCount());
    EXPECT_EQ("alpha", widget.topLevelItem(1)->text(1));
    EXPECT_EQ("2", widget.topLevelItem(1)->text(0));
}

TEST_F(QtLibrary, PopulateTreeBuildsOneLevelPerFieldAndPutsThePointerBack) {
    QTreeWidget widget;
    auto tvw = qt::wrap(&widget, qt::TreeKind::TreeView);
    db.PopulateTree(*tvw,
                    "select c.Name as Category, i.Name as Item from Items i join Categories c "
                    "on c.Code = i.Category where i.Code <= 4 order by c.Code, i.Code",
                    "Shop", {"Category", "Item"});
    ASSERT_EQ(1, widget.topLevelItemCount());
    QTreeWidgetItem* root = widget.topLevelItem(0);
    EXPECT_EQ("Shop", root->text(0));
    ASSERT_EQ(3, root->childCount());
    EXPECT_EQ("TOOLS", root->child(0)->text(0));
    EXPECT_EQ("Item 3", root->child(0)->child(0)->text(0));
    EXPECT_EQ(vbDefault, runtime->MousePointer());
    EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
}

TEST_F(QtLibrary, TypeAheadCompletesTypedCapitalsInTheCombo) {
    QComboBox widget;
    widget.setEditable(true);
    widget.setCompleter(nullptr);
    auto combo = qt::wrap(&widget);
    db.PopulateComboOrList(*combo, "Code", "Name");
    qt::set_key_press_handler(*combo,
                              [this](HostObject& c, int16_t& key) { gen.MatchComboItem(c, key); });
    type(&widget, "P");
    EXPECT_EQ("PAINT", widget.currentText());
    EXPECT_EQ("AINT", widget.lineEdit()->selectedText());
    type(&widget, "L");
    EXPECT_EQ("PLUMBING", widget.currentText());
    EXPECT_EQ("UMBING", widget.lineEdit()->selectedText());
}

TEST_F(QtLibrary, ClearingAndDisablingAFormReachItsNamedControls) {
    QWidget window;
    window.setObjectName("frmEntry");
    auto* text = new QLineEdit("abc", &window);
    text->setObjectName("txtName");
    auto* check = new QCheckBox(&window);
    check->setObjectName("chkActive");
    check->setChecked(true);
    auto* grid = new QTableWidget(5, 2, &window);
    grid->setObjectName("grdLines");
    grid->setItem(1, 1, new QTableWidgetItem("x"));
    auto form = qt::wrap(&window);
    gen.ClearControls(*form);
    EXPECT_EQ("", text->text());
    EXPECT_FALSE(check->isChecked());
    EXPECT_EQ(2, grid->rowCount());
    EXPECT_EQ(nullptr, grid->item(1, 1));
    gen.FormControlsEnabled(*form, false);
    EXPECT_FALSE(text->isEnabled());
    EXPECT_FALSE(grid->isEnabled());
    QWidget main;
    main.setObjectName("frmMain");
    gen.DisableAllForms("");
    EXPECT_FALSE(window.isEnabled());
    EXPECT_TRUE(main.isEnabled());
    gen.EnableAllForms();
    EXPECT_TRUE(window.isEnabled());
}

}  // namespace
}  // namespace ortiva::qt_test
