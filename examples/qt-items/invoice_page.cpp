// The Invoice tab: a grid of lines under a fixed caption row, checked and stored as one
// invoice.

#include <QApplication>
#include <QCompleter>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "filling.hpp"
#include "items_window.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/memory_controls.hpp"
#include "ortiva/qt_controls.hpp"

namespace items {

using ortiva::HostObject;
using ortiva::Variant;
using ortiva::VariantArray;
namespace oq = ortiva::qt;

namespace {

constexpr int item_column = 1;
constexpr int quantity_column = 2;
constexpr int blank_rows = 8;

// Editors of the grid's cells: the item column completes item names, the quantity column
// takes only the keys the numeric filter lets through.
class LineDelegate : public QStyledItemDelegate {
  public:
    LineDelegate(QObject* parent, std::function<QStringList()> names,
                 oq::KeyPressHandler quantity_keys)
        : QStyledItemDelegate(parent),
          names_(std::move(names)),
          quantity_keys_(std::move(quantity_keys)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            if (index.column() == quantity_column) {
                oq::set_key_press_handler(*oq::wrap(edit), quantity_keys_);
            } else if (index.column() == item_column) {
                auto* completer = new QCompleter(names_(), edit);
                completer->setCaseSensitivity(Qt::CaseInsensitive);
                edit->setCompleter(completer);
            }
        }
        open_ = editor;
        return editor;
    }

    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        if (editor == open_) open_ = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    /// Puts an editor still open into its cell, as leaving the cell would.
    void commit_open_editor() {
        if (!open_) return;
        QWidget* editor = open_;
        open_ = nullptr;
        emit commitData(editor);
        emit closeEditor(editor);
    }

  private:
    std::function<QStringList()> names_;
    oq::KeyPressHandler quantity_keys_;
    mutable QPointer<QWidget> open_;
};

QString cell_text(const QTableWidget* grid, int row, int column) {
    const QTableWidgetItem* cell = grid->item(row, column);
    return cell ? cell->text() : QString();
}

void set_fixed_cell(QTableWidget* grid, int row, int column, const QString& text) {
    auto* cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled);
    grid->setItem(row, column, cell);
}

}  // namespace

QWidget* ItemsWindow::build_invoice_tab() {
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pgInvoice"));
    invoice = new QLineEdit(page);
    invoice->setObjectName(QStringLiteral("txtInvoice"));
    invoice->setReadOnly(true);
    invoice->setMaximumWidth(120);
    lines = new QTableWidget(1 + blank_rows, 3, page);
    lines->setObjectName(QStringLiteral("grdLines"));
    // Row 0 is the grid's fixed caption row, as the classic grid has it; the library never
    // stores it, and the user cannot edit it.
    lines->horizontalHeader()->hide();
    lines->verticalHeader()->hide();
    lines->horizontalHeader()->setStretchLastSection(true);
    lines->setColumnWidth(0, 50);
    lines->setColumnWidth(item_column, 320);
    const char* captions[] = {"#", "Item", "Qty"};
    QFont bold = lines->font();
    bold.setBold(true);
    for (int c = 0; c < 3; ++c) {
        set_fixed_cell(lines, 0, c, QString::fromLatin1(captions[c]));
        lines->item(0, c)->setFont(bold);
        lines->item(0, c)->setBackground(lines->palette().button());
    }
    oq::wrap(lines)->let("FixedRows", Variant(1));
    auto* delegate = new LineDelegate(
        lines,
        [this] {
            QStringList names;
            attempt(QStringLiteral("Listing the items"), [&] {
                auto rs = db_.fnReturnRecords("select Name from Items order by Name");
                for (; !rs->Eof(); rs->MoveNext())
                    names << QString::fromStdString(
                        ortiva::join_text(rs->Fields().Item(0).Value()));
                rs->Close();
                return true;
            });
            return names;
        },
        [this](HostObject& box, int16_t& key) { gen_.TextValidateNum(box, key, 6, 0); });
    lines->setItemDelegate(delegate);
    number_invoice_rows();
    // A filled last row brings a new blank one: an invoice is not limited to the rows shown.
    connect(lines, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* cell) {
        if (filling_ || cell->row() != lines->rowCount() - 1 || cell->text().trimmed().isEmpty())
            return;
        Filling filling(filling_);
        lines->setRowCount(lines->rowCount() + 1);
        number_invoice_rows();
    });

    auto* store = new QPushButton(QStringLiteral("Store lines"), page);
    store->setObjectName(QStringLiteral("btnStoreLines"));
    connect(store, &QPushButton::clicked, this, [this] { store_invoice(); });
    auto* clear = new QPushButton(QStringLiteral("Clear"), page);
    clear->setObjectName(QStringLiteral("btnClearLines"));
    connect(clear, &QPushButton::clicked, this, [this] { clear_invoice(); });
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Invoice no."), page);
    label->setObjectName(QStringLiteral("lblInvoice"));
    top->addWidget(label);
    top->addWidget(invoice);
    top->addWidget(store);
    top->addWidget(clear);
    top->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(lines, 1);
    return page;
}

void ItemsWindow::number_invoice_rows() {
    Filling filling(filling_);
    for (int r = 1; r < lines->rowCount(); ++r)
        set_fixed_cell(lines, r, 0, QString::number(r));
}

void ItemsWindow::clear_invoice() {
    Filling filling(filling_);
    lines->setRowCount(1);
    lines->setRowCount(1 + blank_rows);
    number_invoice_rows();
}

bool ItemsWindow::invoice_has_lines() const {
    for (int r = 1; r < lines->rowCount(); ++r)
        if (!cell_text(lines, r, item_column).trimmed().isEmpty() ||
            !cell_text(lines, r, quantity_column).trimmed().isEmpty())
            return true;
    return false;
}

void ItemsWindow::show_next_invoice() {
    db_.strTableName("InvoiceLines");
    invoice->setText(QString::number(db_.fnGetNextMaxNo("Invoice")));
}

bool ItemsWindow::passes_quantity_filter(const std::string& text) {
    scratch_box_->let("Text", Variant(""));
    for (unsigned char c : text)
        if (ortiva::memory::press_key(*scratch_box_, static_cast<int16_t>(c)) == 0) return false;
    return ortiva::to_text(scratch_box_->get("Text")) == text;
}

bool ItemsWindow::store_invoice() {
    static_cast<LineDelegate*>(lines->itemDelegate())->commit_open_editor();
    return attempt(QStringLiteral("Storing the invoice"), [&] {
        auto refuse = [&](int row, int column, const QString& text) {
            lines->setCurrentCell(row, column);
            prompts_->inform(this, QStringLiteral("Invoice"), text);
            return false;
        };
        // Everything is checked before anything is stored; the cells are left trimmed and
        // with the item's name as the item table spells it, which is what gets stored.
        int count = 0;
        for (int r = 1; r < lines->rowCount(); ++r) {
            const QString item = cell_text(lines, r, item_column).trimmed();
            const QString qty = cell_text(lines, r, quantity_column).trimmed();
            if (item.isEmpty() && qty.isEmpty()) {
                Filling filling(filling_);
                lines->setItem(r, item_column, new QTableWidgetItem);
                lines->setItem(r, quantity_column, new QTableWidgetItem);
                continue;
            }
            if (item.isEmpty())
                return refuse(r, item_column, QStringLiteral("Line %1: enter the item.").arg(r));
            db_.strTableName("Items");
            const Variant known = db_.fnReturnField(
                "Name", Variant("upper(Name) = upper(" + sql_literal(item.toStdString()) + ")"));
            if (known.is_empty())
                return refuse(r, item_column,
                              QStringLiteral("Line %1: there is no item \"%2\".").arg(r).arg(item));
            const std::string quantity = qty.toStdString();
            if (!passes_quantity_filter(quantity) || ortiva::to_int32(Variant(quantity)) <= 0)
                return refuse(r, quantity_column,
                              QStringLiteral("Line %1: the quantity must be a whole number above "
                                             "0, such as 2.")
                                  .arg(r));
            Filling filling(filling_);
            lines->setItem(r, item_column,
                           new QTableWidgetItem(QString::fromStdString(ortiva::join_text(known))));
            lines->setItem(r, quantity_column, new QTableWidgetItem(qty));
            ++count;
        }
        if (count == 0) {
            prompts_->inform(this, QStringLiteral("Invoice"),
                             QStringLiteral("The invoice has no lines to store."));
            return false;
        }
        // One transaction: the invoice is stored whole or not at all. Its number is taken
        // inside it, so that a number another window used meanwhile is not used twice.
        int32_t number = 0;
        db_.BeginTrans();
        try {
            db_.strTableName("InvoiceLines");
            number = db_.fnGetNextMaxNo("Invoice");
            VariantArray map{"N", 1, "V", number, "C", item_column, "C", quantity_column};
            db_.fnInsertGridDetails(*oq::wrap(lines), map);
            db_.CommitTrans();
        } catch (...) {
            try {
                db_.RollBackTrans();
            } catch (...) {
                // The failure that brought us here is the one to report.
            }
            throw;
        }
        clear_invoice();
        show_next_invoice();
        say(QStringLiteral("Invoice %1 stored with %2 line(s)").arg(number).arg(count));
        return true;
    });
}

}  // namespace items
