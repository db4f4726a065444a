#pragma once

// The adapters of each widget kind, made over an existing widget. wrap() chooses among them
// and keeps the result with the widget.

#include "ortiva/host_object.hpp"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;
class QTreeWidget;
class QWidget;

namespace ortiva::qt {

HostObjectPtr make_text_box(QLineEdit* edit);
HostObjectPtr make_combo_box(QComboBox* combo);
HostObjectPtr make_list_box(QListWidget* list);
HostObjectPtr make_list_view(QTreeWidget* tree);
HostObjectPtr make_tree_view(QTreeWidget* tree);
HostObjectPtr make_flex_grid(QTableWidget* table);
HostObjectPtr make_check_box(QCheckBox* check);
HostObjectPtr make_label(QLabel* label);
HostObjectPtr make_frame(QGroupBox* group);
HostObjectPtr make_form(QWidget* window);

}  // namespace ortiva::qt
