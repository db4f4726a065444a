#include "ortiva/host_runtime.hpp"

#include <algorithm>
#include <iostream>
#include <mutex>
#include <utility>

#include "ortiva/conversions.hpp"
#include "ortiva/error_info.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

// The process default. Installs and reads take the lock, so that a thread installing a runtime
// never tears the pointer another thread is copying; a caller keeps its copy for its call.
struct ProcessRuntime {
    std::mutex mutex;
    std::shared_ptr<HostRuntime> runtime = std::make_shared<HeadlessRuntime>();
};

ProcessRuntime& process_runtime() {
    static ProcessRuntime holder;
    return holder;
}

// Appends to a record, first dropping its older half when it is full.
template <class T>
void remember(std::vector<T>& record, T entry) {
    if (record.size() >= HeadlessRuntime::record_limit) {
        record.erase(record.begin(), record.begin() + HeadlessRuntime::record_limit / 2);
    }
    record.push_back(std::move(entry));
}

}  // namespace

HostRuntime& host_runtime() {
    return *current_host_runtime();
}

std::shared_ptr<HostRuntime> current_host_runtime() {
    ProcessRuntime& p = process_runtime();
    std::lock_guard lock(p.mutex);
    return p.runtime;
}

void set_host_runtime(std::shared_ptr<HostRuntime> runtime) {
    if (!runtime) runtime = std::make_shared<HeadlessRuntime>();
    ProcessRuntime& p = process_runtime();
    std::shared_ptr<HostRuntime> previous;
    {
        std::lock_guard lock(p.mutex);
        previous = std::exchange(p.runtime, std::move(runtime));
    }
    // The old runtime may be released here, outside the lock: its destructor may call back.
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

int32_t default_answer(int32_t style) {
    static constexpr int32_t buttons[6][3] = {
        {vbOK, vbOK, vbOK},      {vbOK, vbCancel, vbCancel}, {vbAbort, vbRetry, vbIgnore},
        {vbYes, vbNo, vbCancel}, {vbYes, vbNo, vbNo},        {vbRetry, vbCancel, vbCancel},
    };
    const int kind = style & 7;
    if (kind > 5) return vbOK;
    const int which = (style & 0x300) >> 8;  // default button 1, 2 or 3
    return buttons[kind][std::min(which, 2)];
}

std::vector<HostObjectPtr> HeadlessRuntime::Forms() {
    remember(journal_, std::string("Forms"));
    return forms_;
}

int32_t HeadlessRuntime::MsgBox(const std::string& prompt, int32_t style, const Variant& title) {
    Message message{prompt, style, title, default_answer(style)};
    if (answerer_) message.answer = answerer_(message);
    remember(journal_, "MsgBox " + std::to_string(style) + ": " + prompt);
    if (echo_) {
        // A title that has no text form (an object, an array) is shown as none.
        std::string heading;
        try {
            if (!title.is_missing()) heading = join_text(title);
        } catch (const ErrorInfo&) {
        }
        std::cerr << "[message" << (heading.empty() ? "" : ": " + heading) << "] " << prompt
                  << '\n';
    }
    const int32_t answer = message.answer;
    remember(messages_, std::move(message));
    return answer;
}

void HeadlessRuntime::DoEvents() {
    ++do_events_;
    remember(journal_, std::string("DoEvents"));
}

void HeadlessRuntime::SetMousePointer(int32_t pointer) {
    mouse_pointer_ = pointer;
    remember(pointer_history_, pointer);
    remember(journal_, "MousePointer " + std::to_string(pointer));
}

int32_t HeadlessRuntime::FindFirstEntry(HostObject& combo, std::string_view text) {
    const int32_t found = HostRuntime::FindFirstEntry(combo, text);
    remember(journal_, "FindFirstEntry " + std::string(text) + " -> " + std::to_string(found));
    return found;
}

void HeadlessRuntime::remove_form(const HostObjectPtr& form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
}

void HeadlessRuntime::reset_records() {
    messages_.clear();
    pointer_history_.clear();
    journal_.clear();
    do_events_ = 0;
}

}  // namespace ortiva
