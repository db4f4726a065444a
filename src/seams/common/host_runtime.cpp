#include "ortiva/host_runtime.hpp"

#include <algorithm>
#include <iostream>

#include "ortiva/conversions.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

std::shared_ptr<HostRuntime>& current_runtime() {
    static std::shared_ptr<HostRuntime> runtime = std::make_shared<HeadlessRuntime>();
    return runtime;
}

}  // namespace

HostRuntime& host_runtime() { return *current_runtime(); }

void set_host_runtime(std::shared_ptr<HostRuntime> runtime) {
    current_runtime() = runtime ? std::move(runtime) : std::make_shared<HeadlessRuntime>();
}

// Works on any combo box that answers "ListCount" and "List"; toolkits with a native search
// override it.
int32_t HostRuntime::FindFirstEntry(HostObject& combo, std::string_view prefix) {
    const std::string wanted = text::upper(prefix);
    const int32_t count = to_int32(combo.get("ListCount"));
    for (int32_t i = 0; i < count; ++i) {
        const std::string entry = text::upper(join_text(combo.get("List", {Variant(i)})));
        if (entry.compare(0, wanted.size(), wanted) == 0) return i;
    }
    return -1;
}

int32_t HeadlessRuntime::MsgBox(const std::string& prompt, int32_t style, const Variant& title) {
    messages_.push_back({prompt, style, title});
    if (echo_) {
        const std::string heading = title.is_missing() ? std::string() : join_text(title);
        std::cerr << "[message" << (heading.empty() ? "" : ": " + heading) << "] " << prompt
                  << '\n';
    }
    return vbOK;
}

void HeadlessRuntime::SetMousePointer(int32_t pointer) {
    mouse_pointer_ = pointer;
    pointer_history_.push_back(pointer);
}

void HeadlessRuntime::remove_form(const HostObjectPtr& form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

void HeadlessRuntime::reset_records() {
    messages_.clear();
    pointer_history_.clear();
    do_events_ = 0;
}

}  // namespace ortiva
