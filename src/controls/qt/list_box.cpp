#include <QListWidget>

#include "controls/common/list_control.hpp"
#include "controls/qt/control.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

namespace {

// "ListBox" over a QListWidget: the selected entry is the current one when it is selected.
class ListBox : public controls::KindControl<Control, controls::ListMembers> {
  public:
    explicit ListBox(QListWidget* list) : KindControl("ListBox", list, true), list_(list) {}

  protected:
    int32_t entry_count() const override { return list_->count(); }
    std::string entry_text(int32_t i) const override {
        return list_->item(i)->text().toStdString();
    }
    void set_entry_text(int32_t i, const std::string& text) override {
        list_->item(i)->setText(detail::to_q(text));
    }
    int32_t entry_data(int32_t i) const override {
        return list_->item(i)->data(Qt::UserRole).toInt();
    }
    void set_entry_data(int32_t i, int32_t data) override {
        list_->item(i)->setData(Qt::UserRole, data);
    }
    void insert_entry(int32_t at, const std::string& text) override {
        list_->insertItem(at, new QListWidgetItem(detail::to_q(text)));
    }
    void remove_entry(int32_t at) override {
        // Qt moves the selection to the next row; the classic list box leaves none selected.
        const bool was_selected = selected_entry() == at;
        delete list_->takeItem(at);
        if (was_selected) select_entry(-1);
    }
    void clear_entries() override { list_->clear(); }
    int32_t selected_entry() const override {
        const int row = list_->currentRow();
        return row >= 0 && list_->item(row)->isSelected() ? row : -1;
    }
    void select_entry(int32_t i) override {
        if (i < 0) {
            list_->clearSelection();
            list_->setCurrentRow(-1);
            return;
        }
        list_->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
    }

  private:
    QPointer<QListWidget> list_;
};

}  // namespace

HostObjectPtr make_list_box(QListWidget* list) {
    return std::make_shared<ListBox>(list);
}

}  // namespace ortiva::qt
