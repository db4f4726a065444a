// The Qt run time: message boxes as they would be shown, the override cursor, event
// processing and the application's forms.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QLineEdit>
#include <QTimer>

#include "ortiva/conversions.hpp"
#include "qt_context.hpp"

namespace ortiva::qt_test {
namespace {

TEST(QtRuntime, MessageBoxesCarryTheStylesIconButtonsAndTitle) {
    AnsweringRuntime runtime;
    QApplication::setApplicationDisplayName("Items");
    EXPECT_EQ(vbOK, runtime.MsgBox("Saved", vbInformation, Variant("Title")));
    EXPECT_EQ(vbNo, runtime.MsgBox("Sure?", vbYesNo + vbDefaultButton2 + 32, Variant::missing()));
    runtime.press = QMessageBox::Cancel;
    EXPECT_EQ(vbCancel, runtime.MsgBox("Again?", vbYesNoCancel, Variant::missing()));
    ASSERT_EQ(3u, runtime.shown.size());
    const auto& info = runtime.shown[0];
    EXPECT_EQ("Saved", info.text);
    EXPECT_EQ("Title", info.title);
    EXPECT_EQ(QMessageBox::Information, info.icon);
    EXPECT_EQ(std::vector<QMessageBox::StandardButton>{QMessageBox::Ok}, info.buttons);
    EXPECT_TRUE(info.modal);
    EXPECT_EQ("Items", runtime.shown[1].title);
    EXPECT_EQ(QMessageBox::Question, runtime.shown[1].icon);
    EXPECT_EQ(QMessageBox::No, runtime.shown[1].default_button);
    EXPECT_EQ(3u, runtime.shown[2].buttons.size());
}

TEST(QtRuntime, BusyPointerIsTheOverrideCursorUntilPutBack) {
    {
        AnsweringRuntime runtime;
        runtime.SetMousePointer(vbHourglass);
        runtime.SetMousePointer(vbHourglass);
        ASSERT_NE(nullptr, QGuiApplication::overrideCursor());
        EXPECT_EQ(Qt::WaitCursor, QGuiApplication::overrideCursor()->shape());
        EXPECT_EQ(vbHourglass, runtime.MousePointer());
        runtime.SetMousePointer(vbDefault);
        EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
        runtime.SetMousePointer(vbHourglass);
    }
    // A runtime that goes while busy leaves no busy cursor behind.
    EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
}

TEST(QtRuntime, DoEventsRunsPendingEvents) {
    AnsweringRuntime runtime;
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    runtime.DoEvents();
    EXPECT_TRUE(ran);
}

TEST(QtRuntime, FormsAreTheNamedTopLevelWindowsByName) {
    QWidget main;
    main.setObjectName("frmMain");
    QWidget entry;
    entry.setObjectName("frmEntry");
    QWidget unnamed;
    QLineEdit loose;
    loose.setObjectName("txtLoose");
    auto* child = new QWidget(&main);
    child->setObjectName("frmInner");
    AnsweringRuntime runtime;
    std::vector<std::string> names;
    for (const auto& f : runtime.Forms())
        names.push_back(to_text(f->get("Name")));
    EXPECT_EQ((std::vector<std::string>{"frmEntry", "frmMain"}), names);
}

}  // namespace
}  // namespace ortiva::qt_test
