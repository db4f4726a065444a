#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "ortiva/error_info.hpp"
#include "support/raised.hpp"

namespace ortiva {
namespace {

TEST(ErrorInfo, StandardTexts) {
    struct Case {
        int32_t number;
        const char* text;
    };
    const Case cases[] = {
        {5, "Invalid procedure call or argument"},
        {6, "Overflow"},
        {9, "Subscript out of range"},
        {13, "Type mismatch"},
        {91, "Object variable or With block variable not set"},
        {94, "Invalid use of Null"},
        {424, "Object required"},
        {438, "Object doesn't support this property or method"},
        {12345, "Application-defined or object-defined error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(standard_description(c.number), c.text);
}

TEST(ErrorInfo, RaiseCarriesNumberSourceAndText) {
    const ErrorInfo standard = testing::raised_by([] { raise(err::overflow, "Src"); });
    EXPECT_EQ(standard.number(), 6);
    EXPECT_EQ(standard.source(), "Src");
    EXPECT_STREQ(standard.what(), "Overflow");
    const ErrorInfo custom = testing::raised_by([] { raise(1, "", "Custom"); });
    EXPECT_EQ(custom.number(), 1);
    EXPECT_EQ(custom.description(), "Custom");
    EXPECT_EQ(custom.help_context(), 0);
}

ErrorInfo hinted(const ErrorInfo& e) {
    return testing::raised_by([&] { raise_with_hint(e); });
}

TEST(ErrorInfo, HintOnlyFor3709) {
    const ErrorInfo closed(3709, "Provider", "Closed.", "help.chm", 42);
    const ErrorInfo h = hinted(closed);
    EXPECT_EQ(h.number(), 3709);
    EXPECT_EQ(h.source(), "Provider");
    EXPECT_EQ(h.description(), "Closed.\rHINT: Check whether Properties assigned");
    EXPECT_EQ(h.help_file(), "help.chm");
    EXPECT_EQ(h.help_context(), 42);

    const ErrorInfo other(3704, "Provider", "Closed.", "help.chm", 42);
    const ErrorInfo same = hinted(other);
    EXPECT_EQ(same.number(), 3704);
    EXPECT_EQ(same.description(), "Closed.");
    EXPECT_EQ(same.help_file(), "help.chm");
}

// What current_error makes of the exception thrower throws, caught as any exception.
template <typename F>
ErrorInfo current_error_of(F&& thrower) {
    try {
        thrower();
    } catch (...) {
        return current_error();
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

TEST(ErrorInfo, CurrentErrorTurnsAnyFailureIntoErrorInfo) {
    const ErrorInfo e =
        current_error_of([] { throw ErrorInfo(9, "S", "D").with_native(19, "23000"); });
    EXPECT_EQ(e.number(), 9);
    EXPECT_EQ(e.native_error(), 19);
    EXPECT_EQ(e.sqlstate(), "23000");
    const ErrorInfo boom = current_error_of([] { throw std::runtime_error("boom"); });
    EXPECT_EQ(boom.number(), err::invalid_call);
    EXPECT_EQ(boom.description(), "boom");
    EXPECT_EQ(current_error_of([] { throw 42; }).number(), err::invalid_call);
    EXPECT_THROW(current_error_of([] { throw std::bad_alloc(); }), std::bad_alloc);
}

}  // namespace
}  // namespace ortiva
