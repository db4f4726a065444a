#pragma once

// The items example's main window: an item master with a list of items, an invoice detail
// grid, a category tree and a backup tab, all driven through Ortiva's public classes on the
// window's real widgets.

#include <QWidget>
#include <memory>
#include <string>

#include "items_database.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/host_object.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTabWidget;
class QTreeWidget;

namespace items {

class ItemsWindow : public QWidget {
  public:
    explicit ItemsWindow(Store store, QWidget* parent = nullptr);

    /// Stores the item on the form; false (after telling the user) when it is incomplete.
    bool save_item();
    /// Clears the item form for a new item and shows the next code.
    void new_item();
    /// Removes the selected item from the list and from the database.
    bool delete_selected_item();
    /// Refills the category combo, the item list and the category tree from the database.
    void refresh();
    /// Stores the invoice grid's lines.
    bool store_invoice();
    /// Backs the shop database up onto the chosen device and refreshes the history.
    bool backup();
    /// Lists the runs on the chosen device.
    bool show_history();
    /// Restores the run selected in the history, then refreshes the lists.
    bool restore_selected_run();

    QTabWidget* tabs = nullptr;
    QLineEdit* code = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* rate = nullptr;
    QComboBox* category = nullptr;
    QCheckBox* in_stock = nullptr;
    QTreeWidget* item_list = nullptr;
    QLineEdit* invoice = nullptr;
    QTableWidget* lines = nullptr;
    QTreeWidget* category_tree = nullptr;
    QComboBox* device = nullptr;
    QCheckBox* initialize = nullptr;
    QTreeWidget* history = nullptr;
    QLabel* status = nullptr;

  private:
    QWidget* build_items_tab();
    QWidget* build_invoice_tab();
    QWidget* build_tree_tab();
    QWidget* build_backup_tab();
    void refresh_tree();
    void say(const std::string& text);
    /// Runs body, showing a failure in the status line; false when it failed.
    template <typename F>
    bool attempt(F&& body);

    Store store_;
    ortiva::ClsCommonDb db_;
    ortiva::clsCommonGen gen_;
    ortiva::ClsDBBackupRestore backup_;
    ortiva::HostObjectPtr form_;
};

}  // namespace items
