// The Items tab: the item form, its list (searchable) and the category tree.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "filling.hpp"
#include "items_window.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/qt_controls.hpp"

namespace items {

using ortiva::HostObject;
using ortiva::Variant;
namespace oq = ortiva::qt;

namespace {

template <typename W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

const char* const item_columns[] = {"S.No", "Code", "Name", "Category", "Rate", "In stock"};

}  // namespace

QWidget* ItemsWindow::build_items_tab() {
    auto* page = named(new QWidget, "pgItems");
    auto* frame = named(new QGroupBox(QStringLiteral("Item master"), page), "fraItem");
    // The fields sit on a container of their own: clearing it leaves the search box alone.
    auto* fields = named(new QWidget(frame), "pnlItem");
    code = named(new QLineEdit(fields), "txtCode");
    code->setReadOnly(true);
    code->setFocusPolicy(Qt::NoFocus);
    name = named(new QLineEdit(fields), "txtName");
    name->setMaxLength(60);
    category = named(new QComboBox(fields), "cboCategory");
    category->setEditable(true);
    category->setCompleter(nullptr);
    category->setInsertPolicy(QComboBox::NoInsert);
    rate = named(new QLineEdit(fields), "txtRate");
    in_stock = named(new QCheckBox(QStringLiteral("In stock"), fields), "chkInStock");
    auto* form = new QFormLayout(fields);
    form->setContentsMargins(0, 0, 0, 0);
    auto row = [&](const char* label_name, const char* text, QWidget* field) {
        auto* label = named(new QLabel(QString::fromUtf8(text), fields), label_name);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row("lblCode", "Code", code);
    row("lblName", "&Name *", name);
    row("lblCategory", "&Category *", category);
    row("lblRate", "&Rate", rate);
    form->addRow(nullptr, in_stock);
    (new QVBoxLayout(frame))->addWidget(fields);

    auto* buttons = new QHBoxLayout;
    auto* add = named(new QPushButton(QStringLiteral("New"), page), "btnNew");
    auto* save = named(new QPushButton(QStringLiteral("Save"), page), "btnSave");
    auto* remove = named(new QPushButton(QStringLiteral("Delete…"), page), "btnDelete");
    save->setDefault(true);
    for (QPushButton* b : {add, save, remove})
        buttons->addWidget(b);
    buttons->addStretch();
    search = named(new QLineEdit(page), "txtSearch");
    search->setPlaceholderText(QStringLiteral("Search name or category"));
    search->setClearButtonEnabled(true);
    buttons->addWidget(named(new QLabel(QStringLiteral("Find"), page), "lblSearch"));
    buttons->addWidget(search);
    connect(add, &QPushButton::clicked, this, [this] {
        new_item();
        name->setFocus();
    });
    connect(save, &QPushButton::clicked, this, [this] { save_item(); });
    connect(remove, &QPushButton::clicked, this, [this] { delete_item(); });
    connect(search, &QLineEdit::textChanged, this, [this] { refresh_items(); });

    item_list = named(new QTreeWidget(page), "lvwItems");
    item_list->setRootIsDecorated(false);
    item_list->setUniformRowHeights(true);
    item_list->setAlternatingRowColors(true);
    item_list->setSelectionMode(QAbstractItemView::SingleSelection);
    auto headers =
        ortiva::get_object(*oq::wrap(item_list, oq::TreeKind::ListView), "ColumnHeaders");
    for (const char* t : item_columns)
        headers->call("Add", {Variant::missing(), Variant::missing(), Variant(t)});
    connect(item_list, &QTreeWidget::itemSelectionChanged, this,
            [this] { item_selection_changed(); });

    // Typed keys go through the library's filters: the numeric one for the rate, the
    // type-ahead for the category.
    oq::set_key_press_handler(*oq::wrap(rate), [this](HostObject& box, int16_t& key) {
        gen_.TextValidateNum(box, key, 8, 2);
    });
    oq::set_key_press_handler(
        *oq::wrap(category), [this](HostObject& combo, int16_t& key) { category_key(combo, key); });
    connect(name, &QLineEdit::textChanged, this, [this] { mark_modified(); });
    connect(rate, &QLineEdit::textChanged, this, [this] { mark_modified(); });
    connect(category, &QComboBox::editTextChanged, this, [this] { mark_modified(); });
    connect(category, &QComboBox::currentIndexChanged, this, [this] { mark_modified(); });
    connect(in_stock, &QCheckBox::toggled, this, [this] { mark_modified(); });

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->addWidget(item_list, 1);
    return page;
}

QWidget* ItemsWindow::build_tree_tab() {
    auto* page = named(new QWidget, "pgCategories");
    category_tree = named(new QTreeWidget(page), "tvwCategories");
    category_tree->setHeaderHidden(true);
    oq::wrap(category_tree, oq::TreeKind::TreeView);
    (new QVBoxLayout(page))->addWidget(category_tree);
    return page;
}

void ItemsWindow::mark_modified() {
    if (!filling_) item_modified_ = true;
}

bool ItemsWindow::settle_item_edits() {
    if (!item_modified_) return true;
    const auto answer = prompts_->ask(
        this, QStringLiteral("Unsaved item"),
        QStringLiteral("The item on the form has changes that are not saved. Save them?"),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save) return save_item();
    if (answer != QMessageBox::Discard) return false;
    item_modified_ = false;
    return true;
}

bool ItemsWindow::new_item() {
    if (!settle_item_edits()) return false;
    return attempt(QStringLiteral("New item"), [&] {
        Filling filling(filling_);
        gen_.ClearControls(*oq::wrap(code->parentWidget()));
        db_.strTableName("Items");
        code->setText(QString::number(db_.fnGetNextMaxNo("Code")));
        open_code_ = 0;
        item_modified_ = false;
        select_open_item();
        return true;
    });
}

bool ItemsWindow::load_item(int32_t item_code) {
    return attempt(QStringLiteral("Opening the item"), [&] {
        auto rs =
            db_.fnReturnRecords("select Name, Category, Rate, InStock from Items where Code = " +
                                std::to_string(item_code));
        if (rs->Eof()) {
            rs->Close();
            say(QStringLiteral("Item %1 no longer exists").arg(item_code));
            refresh_items();
            return false;
        }
        auto& f = rs->Fields();
        const Variant item_name = f.Item(0).Value(), item_category = f.Item(1).Value(),
                      item_rate = f.Item(2).Value(), item_stock = f.Item(3).Value();
        rs->Close();
        Filling filling(filling_);
        gen_.ClearControls(*oq::wrap(code->parentWidget()));
        code->setText(QString::number(item_code));
        name->setText(QString::fromStdString(ortiva::join_text(item_name)));
        if (ortiva::is_numeric(item_category))
            gen_.SelectComboItemByValue(*oq::wrap(category), ortiva::to_int32(item_category));
        rate->setText(ortiva::is_numeric(item_rate)
                          ? QString::number(ortiva::to_double(item_rate), 'f', 2)
                          : QString());
        in_stock->setChecked(ortiva::is_numeric(item_stock) && ortiva::to_bool(item_stock));
        open_code_ = item_code;
        item_modified_ = false;
        select_open_item();
        return true;
    });
}

int32_t ItemsWindow::chosen_category() {
    auto combo = oq::wrap(category);
    const QString text = category->currentText().trimmed();
    int32_t index = ortiva::to_int32(combo->get("ListIndex"));
    if (index >= 0 && category->itemText(index).compare(text, Qt::CaseInsensitive) == 0)
        return index;
    // Text typed past the type-ahead still counts when it names an entry, in any case.
    Filling filling(filling_);
    combo->let("ListIndex", Variant(-1));
    gen_.SelectComboItemByName(*combo, text.toStdString());
    index = ortiva::to_int32(combo->get("ListIndex"));
    if (index < 0) category->setEditText(text);
    return index;
}

void ItemsWindow::category_key(HostObject& combo, int16_t& key) {
    // Classic hosts upper-cased the key first: the type-ahead only takes capitals.
    if (key >= 'a' && key <= 'z') key = static_cast<int16_t>(key - 'a' + 'A');
    const bool type_ahead = key == ' ' || (key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z');
    if (!type_ahead) {
        gen_.MatchComboItem(combo, key);
        return;
    }
    // The library's type-ahead text outlives what is on the screen: after a key that matched
    // nothing it keeps the key, and a cleared form leaves it as it was. The typed part is the
    // text before the completed, selected tail; the library is set to it first, through a
    // control of our own (any key outside the type-ahead takes over the control's text).
    QLineEdit* edit = category->lineEdit();
    const QString typed =
        edit->hasSelectedText() ? edit->text().left(edit->selectionStart()) : edit->text();
    scratch_combo_->let("Text", Variant(typed.toStdString()));
    int16_t reset = 0;
    gen_.MatchComboItem(*scratch_combo_, reset);
    const QString wanted = typed + QChar(key);
    gen_.MatchComboItem(combo, key);
    if (category->findText(wanted, Qt::MatchStartsWith) < 0) QApplication::beep();
}

bool ItemsWindow::save_item() {
    return attempt(QStringLiteral("Saving the item"), [&] {
        if (!gen_.fnMandatoryFldAvailable(*oq::wrap(name), "Enter the item's name", "Items"))
            return false;
        const int32_t index = chosen_category();
        if (index < 0) {
            prompts_->inform(this, QStringLiteral("Items"),
                             QStringLiteral("Choose the item's category from the list."));
            category->setFocus();
            return false;
        }
        const Variant category_code = oq::wrap(category)->get("ItemData", {Variant(index)});
        const std::string rate_text = rate->text().trimmed().toStdString();
        if (!rate_text.empty() && !ortiva::is_numeric(Variant(rate_text))) {
            prompts_->inform(this, QStringLiteral("Items"),
                             QStringLiteral("Enter the rate as a number, such as 12.50."));
            rate->setFocus();
            return false;
        }
        const Variant rate_value =
            rate_text.empty() ? Variant::missing() : Variant(ortiva::to_double(Variant(rate_text)));
        const std::string item_name = name->text().trimmed().toStdString();
        db_.strTableName("Items");
        // Invoices name their items: two items of one name could not be told apart there.
        const Variant twin =
            db_.fnReturnField("Code", Variant("upper(Name) = upper(" + sql_literal(item_name) +
                                              ") and Code <> " + std::to_string(open_code_)));
        if (!twin.is_empty()) {
            prompts_->inform(this, QStringLiteral("Items"),
                             QStringLiteral("Item %1 already has the name \"%2\".")
                                 .arg(QString::fromStdString(ortiva::join_text(twin)),
                                      QString::fromStdString(item_name)));
            name->setFocus();
            return false;
        }
        const Variant stocked(in_stock->isChecked());
        const bool existing = open_code_ > 0;
        int32_t saved = open_code_;
        if (existing) {
            db_.fnUpdateSelectedRecord("Code = " + std::to_string(saved),
                                       {"Name", item_name, "Category", category_code, "Rate",
                                        rate_value, "InStock", stocked});
        } else {
            saved = db_.fnGetNextMaxNo("Code");
            db_.fnInsertRecord({saved, item_name, category_code, rate_value, stocked});
        }
        item_modified_ = false;
        refresh_items();
        refresh_tree();
        if (!existing) new_item();
        say(QStringLiteral("Item %1 %2").arg(saved).arg(existing ? "updated" : "added"));
        return true;
    });
}

bool ItemsWindow::delete_item() {
    if (open_code_ == 0) {
        prompts_->inform(this, QStringLiteral("Delete item"),
                         QStringLiteral("Select the item to delete in the list first."));
        return false;
    }
    const auto answer =
        prompts_->ask(this, QStringLiteral("Delete item"),
                      QStringLiteral("Delete item %1, \"%2\"? This cannot be undone.")
                          .arg(open_code_)
                          .arg(name->text()),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return false;
    return attempt(QStringLiteral("Deleting the item"), [&] {
        const int32_t gone = open_code_;
        db_.strTableName("Items");
        db_.fnDeleteSelectedRecord("Code = " + std::to_string(gone));
        item_modified_ = false;
        open_code_ = 0;
        refresh_items();
        refresh_tree();
        new_item();
        say(QStringLiteral("Item %1 deleted").arg(gone));
        return true;
    });
}

void ItemsWindow::select_open_item() {
    Filling filling(filling_);
    for (int i = 0; i < item_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = item_list->topLevelItem(i);
        if (open_code_ > 0 && row->text(1).toInt() == open_code_) {
            item_list->setCurrentItem(row);
            item_list->scrollToItem(row);
            return;
        }
    }
    item_list->clearSelection();
    item_list->setCurrentItem(nullptr);
}

void ItemsWindow::item_selection_changed() {
    if (filling_) return;
    const QList<QTreeWidgetItem*> chosen = item_list->selectedItems();
    if (chosen.isEmpty()) return;
    const int32_t wanted = chosen.front()->text(1).toInt();
    if (wanted == open_code_) return;
    if (!settle_item_edits()) {
        select_open_item();
        return;
    }
    load_item(wanted);
}

void ItemsWindow::refresh_items() {
    attempt(QStringLiteral("Listing the items"), [&] {
        Filling filling(filling_);
        std::string condition;
        const std::string text = search->text().trimmed().toStdString();
        if (!text.empty())
            condition =
                "(" + sql_contains("i.Name", text) + " or " + sql_contains("c.Name", text) + ")";
        db_.PopulateListview(*oq::wrap(item_list),
                             "Items i left join Categories c on c.Code = i.Category", condition,
                             {"SLNO", "i.Code", "i.Name", "c.Name",
                              "case when i.Rate is null then '' else printf('%.2f', i.Rate) end",
                              "case when i.InStock <> 0 then 'Yes' else 'No' end"});
        for (int c = 0; c < item_list->columnCount(); ++c)
            item_list->resizeColumnToContents(c);
        select_open_item();
        return true;
    });
}

void ItemsWindow::refresh_categories() {
    Filling filling(filling_);
    db_.strTableName("Categories");
    db_.PopulateComboOrList(*oq::wrap(category), "Code", "Name");
}

void ItemsWindow::refresh_tree() {
    db_.PopulateTree(*oq::wrap(category_tree),
                     "select c.Name as Category, i.Name as Item from Categories c left join "
                     "Items i on i.Category = c.Code order by c.Name, i.Name",
                     "Shop", {"Category", "Item"});
    category_tree->expandAll();
}

}  // namespace items
