#pragma once

// The items example's main window: an item master with a searchable list, an invoice detail
// grid, a category tree and a backup tab, all driven through Ortiva's public classes on the
// window's real widgets. Every question and failure goes to the user through Prompts.

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "items_database.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/ClsDBBackupRestore.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/host_object.hpp"
#include "prompts.hpp"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;
class QTabWidget;
class QTreeWidget;

namespace items {

class ItemsWindow : public QMainWindow {
  public:
    /// prompts answers the window's questions (nullptr: real message boxes).
    explicit ItemsWindow(Store store, std::shared_ptr<Prompts> prompts = nullptr,
                         QWidget* parent = nullptr);
    ~ItemsWindow() override;
    /// The run time the window's library objects use (message boxes, forms, DoEvents).
    void use_runtime(const std::shared_ptr<ortiva::HostRuntime>& runtime);

    // ---- Items ----
    /// Clears the form for a new item (asking first when it holds unsaved edits).
    bool new_item();
    /// Stores the form: an update when it holds an existing item, an insert otherwise. False
    /// (after telling the user) when a field is missing or the database refuses.
    bool save_item();
    /// Deletes the item open in the form, once the user has confirmed.
    bool delete_item();
    /// Loads the item with this code into the form.
    bool load_item(int32_t code);
    /// Refills the item list for the search text, keeping the open item selected.
    void refresh_items();
    /// The code of the item open in the form; 0 for a new one.
    int32_t open_code() const { return open_code_; }
    /// Whether the form holds edits not yet saved.
    bool item_modified() const { return item_modified_; }

    // ---- Invoice ----
    /// Checks and stores the grid's lines as one invoice, then starts the next one.
    bool store_invoice();
    /// Whether the grid holds lines not stored yet.
    bool invoice_has_lines() const;
    /// Empties the grid's data rows, keeping the caption row.
    void clear_invoice();

    // ---- Backup ----
    bool backup();
    bool show_history();
    /// Restores the run selected in the history, once the user has confirmed.
    bool restore_selected_run();

    QTabWidget* tabs = nullptr;
    QLineEdit* code = nullptr;
    QLineEdit* name = nullptr;
    QLineEdit* rate = nullptr;
    QComboBox* category = nullptr;
    QCheckBox* in_stock = nullptr;
    QLineEdit* search = nullptr;
    QTreeWidget* item_list = nullptr;
    QLineEdit* invoice = nullptr;
    QTableWidget* lines = nullptr;
    QTreeWidget* category_tree = nullptr;
    QComboBox* device = nullptr;
    QCheckBox* initialize = nullptr;
    QTreeWidget* history = nullptr;
    QLabel* status = nullptr;

    QAction* new_action = nullptr;
    QAction* save_action = nullptr;
    QAction* delete_action = nullptr;
    QAction* find_action = nullptr;
    QAction* store_action = nullptr;
    QAction* backup_action = nullptr;
    QAction* restore_action = nullptr;
    QAction* quit_action = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* build_items_tab();
    QWidget* build_invoice_tab();
    QWidget* build_tree_tab();
    QWidget* build_backup_tab();
    void build_menus();

    void refresh_tree();
    void refresh_categories();
    void select_open_item();
    void item_selection_changed();
    void mark_modified();
    /// Offers to save unsaved edits of the form: false when the user cancels or saving fails.
    bool settle_item_edits();
    /// The category chosen in the combo, its index; -1 when the text names no entry.
    int32_t chosen_category();
    /// Type-ahead for the category combo, upper-casing letters first.
    void category_key(ortiva::HostObject& combo, int16_t& key);
    /// Whether text is a quantity the grid's numeric filter lets through, key by key.
    bool passes_quantity_filter(const std::string& text);
    void number_invoice_rows();
    void show_next_invoice();
    /// Runs job on a worker thread while a busy progress dialog is shown.
    void run_with_progress(const QString& label, const std::function<void()>& job);
    void reconnect();

    void say(const QString& text);
    /// Runs body; a failure is shown in a dialog (what is being done as its title, the error's
    /// number and text) and gives false.
    bool attempt(const QString& doing, const std::function<bool()>& body);

    Store store_;
    std::shared_ptr<Prompts> prompts_;
    ortiva::ClsCommonDb db_;
    ortiva::clsCommonGen gen_;
    ortiva::ClsDBBackupRestore backup_;
    // Headless controls that let the library's key rules be applied to a text of our own.
    ortiva::HostObjectPtr scratch_combo_;
    ortiva::HostObjectPtr scratch_box_;

    int32_t open_code_ = 0;
    bool item_modified_ = false;
    // Set while the window itself fills controls, so that their signals are not user edits.
    int filling_ = 0;
};

}  // namespace items
