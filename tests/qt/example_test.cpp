// The items example, started offscreen and driven through its widgets: a save, a fill and a
// backup, then a restore, with the database checked afterwards.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "items_window.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/conversions.hpp"
#include "qt_context.hpp"

namespace ortiva::qt_test {
namespace {

namespace fs = std::filesystem;

void type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(w, &key);
    }
}

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "ortiva-qt-items-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
    fs::path path;
};

TEST(QtItemsExample, SaveFillAndBackUpThroughTheWindow) {
    TempDir dir;
    auto runtime = std::make_shared<AnsweringRuntime>();
    ScopedHostRuntime scope(runtime);
    const items::Store store = items::open_store(dir.path / "server");
    items::ItemsWindow window(store);
    window.show();

    // An incomplete item is refused with a message.
    EXPECT_FALSE(window.save_item());
    ASSERT_EQ(1u, runtime->shown.size()) << runtime->shown.front().text.toStdString();

    // The fill: the category combo from the database, typed ahead.
    ASSERT_EQ(4, window.category->count());
    EXPECT_EQ("1", window.code->text());
    window.name->setText("Hammer");
    type(window.category, "PA");
    EXPECT_EQ("PAINT", window.category->currentText());
    type(window.rate, "12.505");
    EXPECT_EQ("12.50", window.rate->text());
    window.category->setCurrentIndex(window.category->findText("TOOLS"));
    ASSERT_TRUE(window.save_item()) << window.status->text().toStdString();
    window.name->setText("Brush");
    ASSERT_TRUE(window.save_item());
    ASSERT_EQ(2, window.item_list->topLevelItemCount());
    EXPECT_EQ("2", window.item_list->topLevelItem(1)->text(0));
    EXPECT_EQ("Brush", window.item_list->topLevelItem(1)->text(2));
    EXPECT_EQ("3", window.code->text());

    // Invoice lines from the grid.
    window.lines->setItem(1, 0, new QTableWidgetItem("1"));
    window.lines->setItem(1, 1, new QTableWidgetItem("Hammer"));
    window.lines->setItem(1, 2, new QTableWidgetItem("4"));
    ASSERT_TRUE(window.store_invoice()) << window.status->text().toStdString();

    // Backup, then a change, then the restore of the run.
    ASSERT_TRUE(window.backup()) << window.status->text().toStdString();
    ASSERT_EQ(1, window.history->topLevelItemCount());
    EXPECT_EQ("shop", window.history->topLevelItem(0)->text(0));
    window.item_list->setCurrentItem(window.item_list->topLevelItem(0));
    ASSERT_TRUE(window.delete_selected_item());
    EXPECT_EQ(1, window.item_list->topLevelItemCount());
    window.history->setCurrentItem(window.history->topLevelItem(0));
    ASSERT_TRUE(window.restore_selected_run()) << window.status->text().toStdString();
    EXPECT_EQ(2, window.item_list->topLevelItemCount());

    ClsCommonDb check;
    check.SetPropertyValues(store.connection_string(), "", "", "Items");
    EXPECT_EQ(2, to_int32(check.fnReturnField("count(*)")));
    EXPECT_EQ(12.5, to_double(check.fnReturnField("Rate", Variant("Name = 'Hammer'"))));
    EXPECT_EQ(1, to_int32(check.fnReturnField("Category", Variant("Name = 'Hammer'"))));
    check.strTableName("InvoiceLines");
    EXPECT_EQ("Hammer", to_text(check.fnReturnField("Item", Variant("Invoice = 'INV-0001'"))));
    // The category tree holds every category with its items.
    ASSERT_EQ(1, window.category_tree->topLevelItemCount());
    EXPECT_EQ(4, window.category_tree->topLevelItem(0)->childCount());
}

}  // namespace
}  // namespace ortiva::qt_test
