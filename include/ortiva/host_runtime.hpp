#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/date.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Message box styles and mouse pointers the library uses.
inline constexpr int32_t vbInformation = 64;
inline constexpr int32_t vbOKOnly = 0;
inline constexpr int32_t vbOK = 1;
inline constexpr int32_t vbDefault = 0;
inline constexpr int32_t vbHourglass = 11;

/// The process-wide services of the host: its loaded forms, the message box, event
/// processing, the screen's mouse pointer, date formatting, type names, and the combo box's
/// find-first-entry request. The host installs its own with set_host_runtime; the default is
/// HeadlessRuntime. The runtime is used from the host's user-interface thread.
class HostRuntime {
public:
    virtual ~HostRuntime() = default;

    /// The host application's loaded forms, in their order.
    virtual std::vector<HostObjectPtr> Forms() = 0;
    /// Shows a modal message box and returns the button pressed (vbOK for OK-only boxes).
    /// title is Variant::missing() when none is given (the application's default title).
    virtual int32_t MsgBox(const std::string& prompt, int32_t style, const Variant& title) = 0;
    /// Processes the host's pending events on the calling thread.
    virtual void DoEvents() = 0;
    virtual int32_t MousePointer() const = 0;
    virtual void SetMousePointer(int32_t pointer) = 0;
    /// The zero-based index of the first entry of the combo box whose text begins with text,
    /// compared case-blind, searching the whole list; -1 when none does.
    virtual int32_t FindFirstEntry(HostObject& combo, std::string_view text);
    /// Formats a date with "dd/mm/yyyy", "hh:mm:ss" and the like.
    virtual std::string FormatDate(Date d, std::string_view pattern) { return d.format(pattern); }
    virtual std::string TypeName(const HostObject& obj) { return obj.type_name(); }
};

/// The runtime in force (HeadlessRuntime until the host installs another).
HostRuntime& host_runtime();
/// Installs a runtime for the process; nullptr goes back to a fresh HeadlessRuntime.
void set_host_runtime(std::shared_ptr<HostRuntime> runtime);

/// A runtime for programs without a screen: a registry of forms the host adds, message boxes
/// written to standard error (when echo is on) and recorded, DoEvents counted, the mouse
/// pointer held.
class HeadlessRuntime : public HostRuntime {
public:
    struct Message {
        std::string prompt;
        int32_t style;
        Variant title;
    };

    std::vector<HostObjectPtr> Forms() override { return forms_; }
    int32_t MsgBox(const std::string& prompt, int32_t style, const Variant& title) override;
    void DoEvents() override { ++do_events_; }
    int32_t MousePointer() const override { return mouse_pointer_; }
    void SetMousePointer(int32_t pointer) override;

    void add_form(HostObjectPtr form) { forms_.push_back(std::move(form)); }
    void remove_form(const HostObjectPtr& form);
    void set_echo(bool echo) { echo_ = echo; }

    const std::vector<Message>& messages() const { return messages_; }
    int do_events_count() const { return do_events_; }
    /// Every value the mouse pointer was set to, in order.
    const std::vector<int32_t>& pointer_history() const { return pointer_history_; }
    void reset_records();

private:
    std::vector<HostObjectPtr> forms_;
    std::vector<Message> messages_;
    std::vector<int32_t> pointer_history_;
    int do_events_ = 0;
    int32_t mouse_pointer_ = 0;
    bool echo_ = true;
};

}  // namespace ortiva
