#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ortiva/date.hpp"
#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Message box styles and answers, and mouse pointers, as the classic run time numbers them.
inline constexpr int32_t vbOKOnly = 0;
inline constexpr int32_t vbOKCancel = 1;
inline constexpr int32_t vbAbortRetryIgnore = 2;
inline constexpr int32_t vbYesNoCancel = 3;
inline constexpr int32_t vbYesNo = 4;
inline constexpr int32_t vbRetryCancel = 5;
inline constexpr int32_t vbInformation = 64;
inline constexpr int32_t vbDefaultButton2 = 256;
inline constexpr int32_t vbDefaultButton3 = 512;
inline constexpr int32_t vbOK = 1;
inline constexpr int32_t vbCancel = 2;
inline constexpr int32_t vbAbort = 3;
inline constexpr int32_t vbRetry = 4;
inline constexpr int32_t vbIgnore = 5;
inline constexpr int32_t vbYes = 6;
inline constexpr int32_t vbNo = 7;
inline constexpr int32_t vbDefault = 0;
inline constexpr int32_t vbHourglass = 11;

/// The process-wide services of the host: its loaded forms, the message box, event
/// processing, the screen's mouse pointer, date formatting, type names, and the combo box's
/// find-first-entry request. Each of ClsCommonDb, clsCommonGen and ClsDBBackupRestore can be
/// handed its own (set_runtime); an object handed none uses the process default, which the host
/// installs with set_host_runtime (HeadlessRuntime until it does). A runtime is used from the
/// thread its host drives it from.
class ORTIVA_API HostRuntime {
  public:
    virtual ~HostRuntime() = default;

    /// The host application's loaded forms, in their order.
    virtual std::vector<HostObjectPtr> Forms() = 0;
    /// Shows a modal message box and returns the button pressed (vbOK for OK-only boxes).
    /// title is Variant::missing() when none is given (the application's default title).
    virtual int32_t MsgBox(const std::string& prompt, int32_t style, const Variant& title) = 0;
    /// Processes the host's pending events on the calling thread.
    virtual void DoEvents() = 0;
    /// The screen's current mouse pointer (vbDefault, vbHourglass, ...).
    virtual int32_t MousePointer() const = 0;
    /// Sets the screen's mouse pointer.
    virtual void SetMousePointer(int32_t pointer) = 0;
    /// The zero-based index of the first entry of the combo box whose text begins with text,
    /// compared case-blind, searching the whole list; -1 when none does. This default works
    /// on any control answering "ListCount" and "List"; member failures propagate.
    virtual int32_t FindFirstEntry(HostObject& combo, std::string_view text);
    /// Formats a date with "dd/mm/yyyy", "hh:mm:ss" and the like.
    virtual std::string FormatDate(Date d, std::string_view pattern) { return d.format(pattern); }
    /// The type name of a control or form, as the host reports it.
    virtual std::string TypeName(const HostObject& obj) { return obj.type_name(); }
};

/// The process default (HeadlessRuntime until the host installs another). The reference is
/// valid until the default is replaced; a thread that may race an install keeps
/// current_host_runtime() instead.
ORTIVA_API HostRuntime& host_runtime();
/// The process default, shared, so that a caller can keep it for a call or put it back later.
/// Thread-safe.
ORTIVA_API std::shared_ptr<HostRuntime> current_host_runtime();
/// Installs the process default; nullptr goes back to a fresh HeadlessRuntime. Thread-safe:
/// callers already holding the previous one keep it alive until they let it go.
ORTIVA_API void set_host_runtime(std::shared_ptr<HostRuntime> runtime);

/// Installs a runtime for the lifetime of the object and puts the previous one back after.
/// Each install is thread-safe, but nested scopes on several threads put back each other's
/// runtimes: meant for tests and for hosts that swap runtimes around a task.
class ORTIVA_API ScopedHostRuntime {
  public:
    /// Installs \p runtime as the process default, keeping the current one to put back.
    explicit ScopedHostRuntime(std::shared_ptr<HostRuntime> runtime)
        : previous_(current_host_runtime()) {
        set_host_runtime(std::move(runtime));
    }
    /// Puts back the runtime that was the default at construction.
    ~ScopedHostRuntime() { set_host_runtime(std::move(previous_)); }
    ScopedHostRuntime(const ScopedHostRuntime&) = delete;
    ScopedHostRuntime& operator=(const ScopedHostRuntime&) = delete;

  private:
    std::shared_ptr<HostRuntime> previous_;
};

/// The answer a message box of this style gives when its default button is pressed:
/// vbOK for OK-only and OK/Cancel, vbAbort, vbYes or vbRetry for the others, moved to the
/// second or third button by vbDefaultButton2 and vbDefaultButton3.
ORTIVA_API int32_t default_answer(int32_t style);

/// A runtime for programs without a screen: a registry of forms the host adds, message boxes
/// written to standard error (when echo is on), answered and recorded, DoEvents counted, the
/// mouse pointer held. Every call made to it is also written to a journal, in order, so that
/// tests can check what a caller asked for and when. Each record (messages, pointer history,
/// journal) keeps at most record_limit entries: when one is full, its older half is dropped,
/// so that a long-lived run time (a server, a command-line loop) stays bounded.
class ORTIVA_API HeadlessRuntime : public HostRuntime {
  public:
    /// One message box shown, as recorded.
    struct Message {
        /// The text shown.
        std::string prompt;
        /// The style asked for (buttons, icon, default button).
        int32_t style;
        /// The title given (Variant::missing() when none).
        Variant title;
        /// The button the box was answered with.
        int32_t answer = vbOK;
    };
    /// Chooses the button pressed for a message box (default: default_answer(style)).
    using Answerer = std::function<int32_t(const Message&)>;
    /// The most entries a record keeps.
    static constexpr std::size_t record_limit = 65536;

    std::vector<HostObjectPtr> Forms() override;
    int32_t MsgBox(const std::string& prompt, int32_t style, const Variant& title) override;
    void DoEvents() override;
    /// The last pointer set (vbDefault initially).
    int32_t MousePointer() const override { return mouse_pointer_; }
    /// Holds the pointer and records it in pointer_history() and the journal.
    void SetMousePointer(int32_t pointer) override;
    int32_t FindFirstEntry(HostObject& combo, std::string_view text) override;

    /// Adds a form to the end of the registry Forms() returns.
    void add_form(HostObjectPtr form) { forms_.push_back(std::move(form)); }
    /// Removes every entry of \p form from the registry; no effect when absent.
    void remove_form(const HostObjectPtr& form);
    /// Empties the registry of forms.
    void clear_forms() { forms_.clear(); }
    /// Turns writing message boxes to standard error on or off (on by default).
    void set_echo(bool echo) { echo_ = echo; }
    /// Answers later message boxes with answerer; nullptr goes back to the default answer.
    void set_answerer(Answerer answerer) { answerer_ = std::move(answerer); }

    /// Every message box shown since the last reset_records(), in order.
    const std::vector<Message>& messages() const { return messages_; }
    /// Number of DoEvents() calls since the last reset_records().
    int do_events_count() const { return do_events_; }
    /// Every value the mouse pointer was set to, in order.
    const std::vector<int32_t>& pointer_history() const { return pointer_history_; }
    /// One line per call, in order: "Forms", "MsgBox 64: <prompt>", "DoEvents",
    /// "MousePointer 11", "FindFirstEntry <text> -> 2".
    const std::vector<std::string>& journal() const { return journal_; }
    /// Forgets messages, DoEvents calls, pointer history and the journal; keeps the forms,
    /// the mouse pointer and the answerer.
    void reset_records();

  private:
    std::vector<HostObjectPtr> forms_;
    std::vector<Message> messages_;
    std::vector<int32_t> pointer_history_;
    std::vector<std::string> journal_;
    Answerer answerer_;
    int do_events_ = 0;
    int32_t mouse_pointer_ = 0;
    bool echo_ = true;
};

}  // namespace ortiva
