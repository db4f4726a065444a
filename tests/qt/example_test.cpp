// The items example, started offscreen and used through its widgets as a person would: keys
// typed, buttons and rows clicked, shortcuts pressed, questions answered; the database is
// checked afterwards through a connection of its own.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "example_context.hpp"
#include "ortiva/ClsCommonDb.hpp"
#include "ortiva/connection.hpp"
#include "ortiva/conversions.hpp"

namespace ortiva::qt_test {
namespace {

class QtItemsExample : public ::testing::Test {
  protected:
    QtItemsExample()
        : runtime(std::make_shared<AnsweringRuntime>()),
          scope(runtime),
          prompts(std::make_shared<ScriptedPrompts>()),
          store(items::open_store(dir.path() / "server")) {}

    void start(bool with_samples = false) {
        if (with_samples) items::add_sample_items(store);
        window = std::make_unique<items::ItemsWindow>(store, prompts);
        window->resize(900, 600);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        // Shortcuts reach only the active window.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void click(const char* button) {
        auto* b = window->findChild<QPushButton*>(QString::fromLatin1(button));
        ASSERT_NE(nullptr, b) << button;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Clicks a button whose question is answered as given.
    void answer_and_click(QMessageBox::StandardButton answer, const char* button) {
        prompts->answers = {answer};
        click(button);
    }
    void click_row(QTreeWidget* list, int row) {
        QTreeWidgetItem* item = list->topLevelItem(row);
        ASSERT_NE(nullptr, item);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(item).center());
    }
    void retype(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    // Opens a grid cell's own editor, as double-clicking it would, with its text selected.
    QLineEdit* edit_cell(int row, int column) {
        QTableWidget* grid = window->lines;
        if (!grid->item(row, column)) grid->setItem(row, column, new QTableWidgetItem);
        grid->setCurrentCell(row, column);
        // An editor closed before is only deleted later: it must not be found instead.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        grid->editItem(grid->item(row, column));
        auto* editor = grid->viewport()->findChild<QLineEdit*>();
        if (editor) editor->selectAll();
        return editor;
    }
    void type_cell(int row, int column, const QString& text) {
        QLineEdit* editor = edit_cell(row, column);
        ASSERT_NE(nullptr, editor);
        QTest::keyClicks(editor, text);
        const QPointer<QLineEdit> open(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        // The grid commits and closes an editor on Return by a queued call.
        QCoreApplication::processEvents();
        ASSERT_TRUE(!open || !open->isVisible()) << "the cell is still being edited";
    }
    QString cell(int row, int column) const {
        const QTableWidgetItem* c = window->lines->item(row, column);
        return c ? c->text() : QString();
    }

    Variant field(const std::string& table, const std::string& what,
                  const std::string& condition = {}) {
        ClsCommonDb check;
        check.SetPropertyValues(store.connection_string(), "", "", table);
        return condition.empty() ? check.fnReturnField(what)
                                 : check.fnReturnField(what, Variant(condition));
    }
    int32_t rows(const std::string& table, const std::string& condition = {}) {
        return to_int32(field(table, "count(*)", condition));
    }

    TempDir dir;
    std::shared_ptr<AnsweringRuntime> runtime;
    ScopedHostRuntime scope;
    std::shared_ptr<ScriptedPrompts> prompts;
    items::Store store;
    std::unique_ptr<items::ItemsWindow> window;
};

TEST_F(QtItemsExample, CreateEditAndDeleteAnItem) {
    start();
    // Nothing typed: the library's required-field message, nothing stored.
    click("btnSave");
    ASSERT_EQ(1u, runtime->shown.size());
    EXPECT_EQ("Enter the item's name", runtime->shown[0].text);
    EXPECT_EQ(0, rows("Items"));

    EXPECT_EQ("1", window->code->text());
    QTest::keyClicks(window->name, "Hammer");
    QTest::keyClicks(window->category, "to");
    EXPECT_EQ("TOOLS", window->category->currentText());
    QTest::keyClicks(window->rate, "12.505");
    EXPECT_EQ("12.50", window->rate->text());
    QTest::keyClick(window->in_stock, Qt::Key_Space);
    EXPECT_TRUE(window->item_modified());
    click("btnSave");
    EXPECT_EQ(1, rows("Items"));
    EXPECT_EQ(1, to_int32(field("Items", "Category", "Code = 1")));
    EXPECT_EQ(12.5, to_double(field("Items", "Rate", "Code = 1")));
    EXPECT_NE(0, to_int32(field("Items", "InStock", "Code = 1")));
    // The form is ready for the next item; the list shows the saved one.
    EXPECT_EQ("2", window->code->text());
    EXPECT_EQ("", window->name->text());
    EXPECT_FALSE(window->item_modified());
    ASSERT_EQ(1, window->item_list->topLevelItemCount());
    EXPECT_EQ("Hammer", window->item_list->topLevelItem(0)->text(2));
    EXPECT_EQ("12.50", window->item_list->topLevelItem(0)->text(4));
    EXPECT_EQ("Yes", window->item_list->topLevelItem(0)->text(5));

    QTest::keyClicks(window->name, "Brush");
    QTest::keyClicks(window->category, "pa");
    click("btnSave");
    ASSERT_EQ(2, window->item_list->topLevelItemCount());

    // Selecting a row loads it; saving updates it in place.
    click_row(window->item_list, 0);
    EXPECT_EQ(1, window->open_code());
    EXPECT_EQ("Hammer", window->name->text());
    EXPECT_EQ("TOOLS", window->category->currentText());
    EXPECT_EQ("12.50", window->rate->text());
    EXPECT_TRUE(window->in_stock->isChecked());
    retype(window->name, "Claw hammer");
    QTest::keyClick(window->in_stock, Qt::Key_Space);
    QTest::keyClick(window->name, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(2, rows("Items"));
    EXPECT_EQ("Claw hammer", to_text(field("Items", "Name", "Code = 1")));
    EXPECT_EQ(0, to_int32(field("Items", "InStock", "Code = 1")));
    EXPECT_EQ(1, window->open_code());
    EXPECT_EQ("Claw hammer", window->item_list->topLevelItem(0)->text(2));
    EXPECT_TRUE(window->item_list->topLevelItem(0)->isSelected());

    // A second item may not take the same name: invoices find items by name.
    click("btnNew");
    QTest::keyClicks(window->name, "claw HAMMER");
    QTest::keyClicks(window->category, "t");
    click("btnSave");
    EXPECT_TRUE(prompts->last_text().contains("already has the name"))
        << prompts->last_text().toStdString();
    EXPECT_EQ(2, rows("Items"));
    answer_and_click(QMessageBox::Discard, "btnNew");
    EXPECT_EQ(0, window->open_code());

    // Delete asks first: No keeps the item, Yes removes it.
    click_row(window->item_list, 1);
    ASSERT_EQ(2, window->open_code());
    answer_and_click(QMessageBox::No, "btnDelete");
    EXPECT_TRUE(prompts->last_text().contains("\"Brush\""));
    EXPECT_EQ(2, rows("Items"));
    answer_and_click(QMessageBox::Yes, "btnDelete");
    EXPECT_EQ(0, rows("Items", "Code = 2"));
    EXPECT_EQ(1, window->item_list->topLevelItemCount());
    EXPECT_EQ(0, window->open_code());
}

TEST_F(QtItemsExample, EditsAreNotLostBySwitchingRowsOrClosing) {
    start(true);
    click_row(window->item_list, 0);
    retype(window->name, "Claw hammer XL");
    // Another row while the form holds an edit: Cancel stays, Save stores and moves on.
    prompts->answers = {QMessageBox::Cancel};
    click_row(window->item_list, 2);
    EXPECT_EQ(1, window->open_code());
    EXPECT_TRUE(window->item_list->topLevelItem(0)->isSelected());
    EXPECT_EQ("Claw hammer XL", window->name->text());
    prompts->answers = {QMessageBox::Save};
    click_row(window->item_list, 2);
    EXPECT_EQ("Claw hammer XL", to_text(field("Items", "Name", "Code = 1")));
    EXPECT_EQ(3, window->open_code());

    // Closing with an unsaved edit asks; Cancel keeps the window open.
    retype(window->rate, "1");
    prompts->answers = {QMessageBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    prompts->answers = {QMessageBox::Discard};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(38.9, to_double(field("Items", "Rate", "Code = 3")));
}

TEST_F(QtItemsExample, CategoryTypeAheadTakesLowerCaseAndIsRequired) {
    start();
    QTest::keyClicks(window->name, "Tap");
    // p gives PAINT; an unmatched key is refused without spoiling what follows.
    QTest::keyClicks(window->category, "px");
    EXPECT_EQ("PAINT", window->category->currentText());
    QTest::keyClicks(window->category, "l");
    EXPECT_EQ("PLUMBING", window->category->currentText());
    click("btnSave");
    EXPECT_EQ(4, to_int32(field("Items", "Category", "Name = 'Tap'")));

    // A cleared form starts the type-ahead afresh, whatever was typed for the last item.
    QTest::keyClicks(window->name, "Rake");
    QTest::keyClicks(window->category, "g");
    EXPECT_EQ("GARDEN", window->category->currentText());

    // Text that names no category is refused with a message, nothing stored; an entry's name
    // typed in another case counts as that entry.
    window->category->setEditText("Hardware");
    click("btnSave");
    EXPECT_EQ(QString("Choose the item's category from the list."), prompts->last_text());
    EXPECT_EQ(0, rows("Items", "Name = 'Rake'"));
    window->category->setEditText(" garden");
    click("btnSave");
    EXPECT_EQ(3, to_int32(field("Items", "Category", "Name = 'Rake'")));
}

TEST_F(QtItemsExample, SearchFiltersTheListByNameOrCategory) {
    start(true);
    ASSERT_EQ(7, window->item_list->topLevelItemCount());
    QTest::keyClick(window->item_list, Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(window->search->hasFocus());
    QTest::keyClicks(window->search, "paint");
    // By category (PAINT) as well as by name.
    EXPECT_EQ(2, window->item_list->topLevelItemCount());
    retype(window->search, "HOSE");
    ASSERT_EQ(1, window->item_list->topLevelItemCount());
    EXPECT_EQ("Garden hose", window->item_list->topLevelItem(0)->text(2));
    // Wildcards and quotes are taken literally.
    retype(window->search, "%");
    EXPECT_EQ(0, window->item_list->topLevelItemCount());
    retype(window->search, "o'");
    EXPECT_EQ(0, window->item_list->topLevelItemCount());
    EXPECT_TRUE(prompts->shown.empty());
    window->search->clear();
    EXPECT_EQ(7, window->item_list->topLevelItemCount());
}

TEST_F(QtItemsExample, InvoiceIsCheckedThenStoredOnce) {
    start(true);
    window->tabs->setCurrentIndex(1);
    EXPECT_EQ("1", window->invoice->text());
    EXPECT_FALSE(window->lines->item(0, 1)->flags() & Qt::ItemIsEditable);

    // Nothing to store: refused with a message.
    click("btnStoreLines");
    EXPECT_EQ(QString("The invoice has no lines to store."), prompts->last_text());

    // Words are not quantities: the cell's editor refuses the keys.
    type_cell(1, 1, "claw hammer");
    type_cell(1, 2, "two");
    EXPECT_EQ("", cell(1, 2));
    type_cell(1, 2, "2");
    // An unknown item refuses the whole invoice.
    type_cell(2, 1, "Anvil");
    type_cell(2, 2, "1");
    click("btnStoreLines");
    EXPECT_EQ(QString("Line 2: there is no item \"Anvil\"."), prompts->last_text());
    EXPECT_EQ(0, rows("InvoiceLines"));
    // A quantity that got in by another way than the keyboard is checked too.
    type_cell(2, 1, "Paint brush");
    window->lines->item(2, 2)->setText("two");
    click("btnStoreLines");
    EXPECT_TRUE(prompts->last_text().startsWith("Line 2: the quantity"))
        << prompts->last_text().toStdString();
    EXPECT_EQ(0, rows("InvoiceLines"));

    // Stored once, by the shortcut, with the last cell still being edited.
    QLineEdit* editor = edit_cell(2, 2);
    ASSERT_NE(nullptr, editor);
    QTest::keyClicks(editor, "6");
    QTest::keyClick(editor, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(2, rows("InvoiceLines"));
    EXPECT_EQ(
        1, rows("InvoiceLines", "Invoice = 1 and LineNo = 1 and Item = 'Claw hammer' and Qty = 2"));
    EXPECT_EQ(
        1, rows("InvoiceLines", "Invoice = 1 and LineNo = 2 and Item = 'Paint brush' and Qty = 6"));
    EXPECT_EQ(0, rows("InvoiceLines", "Item = 'Item'"));
    EXPECT_FALSE(window->invoice_has_lines());
    EXPECT_EQ("Item", cell(0, 1));
    EXPECT_EQ("2", window->invoice->text());
    // Pressing it again stores nothing more.
    click("btnStoreLines");
    EXPECT_EQ(QString("The invoice has no lines to store."), prompts->last_text());
    EXPECT_EQ(2, rows("InvoiceLines"));

    // The next invoice takes the next number; filling the last row brings another.
    QTableWidget* grid = window->lines;
    for (int r = 1; r < 8; ++r) {
        grid->setItem(r, 1, new QTableWidgetItem("Pipe wrench"));
        grid->setItem(r, 2, new QTableWidgetItem("1"));
    }
    type_cell(8, 1, "pipe wrench");
    type_cell(8, 2, "1");
    EXPECT_EQ(10, grid->rowCount());
    click("btnStoreLines");
    EXPECT_EQ(8, rows("InvoiceLines", "Invoice = 2"));
    EXPECT_EQ("3", window->invoice->text());

    // Lines not stored keep the window open until the user says otherwise.
    type_cell(1, 1, "Garden hose");
    ASSERT_EQ("Garden hose", cell(1, 1));
    prompts->answers = {QMessageBox::Cancel};
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(prompts->last_text().contains("not stored"));
    prompts->answers = {QMessageBox::Discard};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(0, rows("InvoiceLines", "Invoice = 3"));
}

TEST_F(QtItemsExample, BackupChangeAndRestoreWithConfirmation) {
    start(true);
    window->tabs->setCurrentIndex(3);
    click("btnBackup");
    ASSERT_EQ(1, window->history->topLevelItemCount());
    EXPECT_EQ("shop", window->history->topLevelItem(0)->text(0));
    // Every header can be read in full.
    QHeaderView* header = window->history->header();
    for (int c = 0; c < 4; ++c) {
        const QString title = window->history->headerItem()->text(c);
        EXPECT_GE(header->sectionSize(c), header->fontMetrics().horizontalAdvance(title))
            << title.toStdString();
    }

    window->tabs->setCurrentIndex(0);
    click_row(window->item_list, 0);
    answer_and_click(QMessageBox::Yes, "btnDelete");
    EXPECT_EQ(6, rows("Items"));

    window->tabs->setCurrentIndex(3);
    click_row(window->history, 0);
    answer_and_click(QMessageBox::No, "btnRestore");
    EXPECT_TRUE(prompts->last_text().contains("Everything changed since then"));
    EXPECT_EQ(6, rows("Items"));
    answer_and_click(QMessageBox::Yes, "btnRestore");
    EXPECT_EQ(7, rows("Items"));
    EXPECT_EQ(7, window->item_list->topLevelItemCount());
    EXPECT_TRUE(window->status->text().startsWith("Restored"))
        << window->status->text().toStdString();

    // Starting the device afresh erases the runs it holds: asked first.
    QTest::keyClick(window->initialize, Qt::Key_Space);
    answer_and_click(QMessageBox::No, "btnBackup");
    EXPECT_EQ(1, window->history->topLevelItemCount());
    QTest::keyClick(window->initialize, Qt::Key_Space);
    click("btnBackup");  // appended, without a question
    EXPECT_EQ(2, window->history->topLevelItemCount());
    QTest::keyClick(window->initialize, Qt::Key_Space);
    answer_and_click(QMessageBox::Yes, "btnBackup");
    EXPECT_EQ(1, window->history->topLevelItemCount());
}

TEST_F(QtItemsExample, FailuresAreShownWithTheirNumberAndText) {
    start(true);
    // The table goes away under the window: saving fails, and the user sees why.
    auto other = Connection::create();
    other->Open(store.connection_string());
    other->Execute("DROP TABLE Items");
    other->Close();
    click_row(window->item_list, 0);
    ASSERT_FALSE(prompts->shown.empty());
    const auto& box = prompts->shown.back();
    EXPECT_EQ(QMessageBox::Critical, box.icon);
    EXPECT_EQ("Opening the item", box.title);
    EXPECT_TRUE(box.text.startsWith("Error ")) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("Items")) << box.text.toStdString();
    EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace ortiva::qt_test
