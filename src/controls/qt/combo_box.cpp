#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "controls/common/list_control.hpp"
#include "controls/qt/control.hpp"
#include "controls/qt/edit_members.hpp"
#include "controls/qt/key_filter.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

using detail::Access;

namespace {

// "ComboBox" over a QComboBox. Entries change with the combo's signals blocked, as the
// classic control raises no click for them; an editable combo keeps its edit text where Qt
// would replace it (adding the first entry, removing the selected one).
class ComboBox : public controls::KindControl<Control, controls::ListMembers>, public KeyTarget {
  public:
    explicit ComboBox(QComboBox* combo) : KindControl("ComboBox", combo, true), combo_(combo) {}

  protected:
    Variant dispatch(Access access, const detail::MemberRef& member, const Args& args,
                     const Variant* value) override {
        widget();
        if (QLineEdit* edit = combo_->lineEdit()) {
            detail::LineEditArea area(*edit);
            if (auto result = controls::dispatch_edit(area, access, member, args, value))
                return std::move(*result);
        } else if (controls::is_text_member(member)) {
            detail::plain_property(args);
            if (access != Access::let) return detail::from_q(combo_->currentText());
            // A drop-down list shows only its entries.
            const int i = combo_->findText(detail::qtext(*value), Qt::MatchFixedString);
            if (i < 0) detail::read_only();
            select(i);
            return {};
        }
        return KindControl::dispatch(access, member, args, value);
    }

    int32_t entry_count() const override { return combo_->count(); }
    std::string entry_text(int32_t i) const override { return combo_->itemText(i).toStdString(); }
    void set_entry_text(int32_t i, const std::string& text) override {
        combo_->setItemText(i, detail::to_q(text));
    }
    int32_t entry_data(int32_t i) const override {
        return combo_->itemData(i, Qt::UserRole).toInt();
    }
    void set_entry_data(int32_t i, int32_t data) override {
        combo_->setItemData(i, data, Qt::UserRole);
    }

    void insert_entry(int32_t at, const std::string& text) override {
        const QSignalBlocker quiet(combo_);
        const int before = combo_->currentIndex();
        const EditState kept = edit_state();
        combo_->insertItem(at, detail::to_q(text));
        if (before == -1 && combo_->currentIndex() != -1) unselect(kept);
    }

    void remove_entry(int32_t at) override {
        const QSignalBlocker quiet(combo_);
        const bool was_current = combo_->currentIndex() == at;
        const EditState kept = edit_state();
        combo_->removeItem(at);
        if (was_current) unselect(kept);
    }

    void clear_entries() override {
        const QSignalBlocker quiet(combo_);
        combo_->clear();
        if (QLineEdit* edit = combo_->lineEdit()) edit->clear();
    }

    int32_t selected_entry() const override { return combo_->currentIndex(); }
    void select_entry(int32_t i) override {
        combo_->setCurrentIndex(i);
        if (QLineEdit* edit = combo_->lineEdit()) {
            detail::set_edit_text(*edit, i < 0 ? QString() : combo_->itemText(i));
        }
    }

  private:
    struct EditState {
        QString text;
        int cursor = 0;
    };
    EditState edit_state() const {
        QLineEdit* edit = combo_->lineEdit();
        return edit ? EditState{edit->text(), edit->cursorPosition()} : EditState{};
    }
    // Selects no entry and puts back the edit text Qt replaced.
    void unselect(const EditState& kept) {
        combo_->setCurrentIndex(-1);
        if (QLineEdit* edit = combo_->lineEdit()) {
            edit->setText(kept.text);
            edit->setCursorPosition(kept.cursor);
        }
    }

    QPointer<QComboBox> combo_;
};

}  // namespace

HostObjectPtr make_combo_box(QComboBox* combo) {
    return std::make_shared<ComboBox>(combo);
}

}  // namespace ortiva::qt
