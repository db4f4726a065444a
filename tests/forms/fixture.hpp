#pragma once

// What the clsCommonGen suites share: a fresh headless runtime per test, controls of the
// in-memory toolkit, and the number of the ErrorInfo a call raises.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ortiva/clsCommonGen.hpp"
#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/memory_controls.hpp"
#include "support/controls.hpp"
#include "support/raised.hpp"

namespace ortiva::forms_test {

using ortiva::testing::error_of;
using ortiva::testing::grid_with;
using ortiva::testing::quiet_runtime;

class FormsTest : public ::testing::Test {
  protected:
    std::shared_ptr<HeadlessRuntime> runtime = quiet_runtime();
    ScopedHostRuntime scope{runtime};
    clsCommonGen gen;
};

/// A combo box or list box holding the entries, each with its item data.
inline HostObjectPtr list_with_data(std::string_view kind,
                                    const std::vector<std::pair<std::string, int32_t>>& entries) {
    HostObjectPtr list = memory::create_control(kind, "lst");
    for (const auto& [text, data] : entries) {
        list->call("AddItem", {Variant(text)});
        list->let("ItemData", Variant(data), {list->get("NewIndex")});
    }
    return list;
}

inline HostObjectPtr list_of(std::string_view kind, const std::vector<std::string>& entries) {
    std::vector<std::pair<std::string, int32_t>> with_data;
    for (const auto& e : entries)
        with_data.emplace_back(e, 0);
    return list_with_data(kind, with_data);
}

inline std::string text_of(HostObject& control, std::string_view member = "Text") {
    return to_text(control.get(member));
}

inline int32_t int_of(HostObject& control, std::string_view member) {
    return to_int32(control.get(member));
}

}  // namespace ortiva::forms_test
