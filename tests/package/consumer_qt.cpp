// The qt component's header needs Qt's include directories, which Ortiva::qt hands on.

#include <QApplication>
#include <QLineEdit>

#include "ortiva/conversions.hpp"
#include "ortiva/qt_controls.hpp"

int qt_part() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "consumer";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QLineEdit edit;
    auto text_box = ortiva::qt::wrap(&edit);
    text_box->let("Text", ortiva::Variant("typed"));
    return edit.text() == "typed" ? 0 : 1;
}
