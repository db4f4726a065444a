#pragma once

#include <cstdint>
#include <string>

#include "ortiva/export.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/variant.hpp"

namespace ortiva {

/// Form and control chores: selecting combo and list entries by item data or text, type-ahead
/// in combo boxes, enabling, disabling and clearing forms, required fields, a keystroke filter
/// for numeric text boxes, duplicate grid rows and a user's rights text.
///
/// Controls are driven only by member name (HostObject); forms, message boxes, type names and
/// the combo box's find-first-entry request go through runtime(). No member has a
/// handler of its own: a control's ErrorInfo reaches the caller unchanged and whatever was
/// done before it stays done. Loop counters are 16-bit: a list, form or grid beyond 32767
/// entries fails with overflow (6).
///
/// The only state is the type-ahead text of MatchComboItem, shared by every combo box the
/// object serves. An object is used from the host's user-interface thread.
class ORTIVA_API clsCommonGen {
  public:
    // ---- Combo and list selection ----

    /// Selects the first entry whose "ItemData" equals lngItemValue; without a match the
    /// selection is left as it was.
    void SelectComboItemByValue(HostObject& cboorlstCntrl, int32_t lngItemValue);
    /// The same as SelectComboItemByValue.
    void SelectComboItem(HostObject& cboorlstCntrl, int32_t lngItemValue);
    /// Selects the first entry equal to strItem, both trimmed of spaces and compared case-blind;
    /// without a match the selection is left as it was.
    void SelectComboItemByName(HostObject& cboorlstCntrl, const std::string& strItem);
    /// Type-ahead for a combo box's key-press event. A space, digit or capital letter extends
    /// the type-ahead text, completes the first entry it begins (case-blind) with the completed
    /// tail selected, and is swallowed (keyascii becomes 0). Any other key resets the type-ahead
    /// text to the control's current text and passes through unchanged.
    void MatchComboItem(HostObject& cboCntrl, int16_t& keyascii);
    /// The index of the first entry of a list box equal to String1 (both upper-cased and
    /// trimmed), or -1. Throws ErrorInfo 13 for any control that is not a "ListBox".
    int32_t GetIndex(HostObject& objList, const std::string& String1);

    // ---- Form state and required fields ----

    /// Sets "Enabled" of every control of the form, in the collection's order.
    void FormControlsEnabled(HostObject& frmFormName, bool blnEnableControls);
    /// Disables every loaded form except those named "frmMain" or strExceptForm (compared
    /// case-sensitively); the spared forms are not touched.
    void DisableAllForms(const std::string& strExceptForm);
    /// Enables every loaded form.
    void EnableAllForms();
    /// Empties the form's text boxes, combo box selections, flex grids (left with 2 rows) and
    /// check boxes; other kinds of control are not touched.
    void ClearControls(HostObject& frmFormName);
    /// True when the control's "Text" holds more than spaces. Otherwise shows strMessage in an
    /// information message box titled strTitle, moves the focus to the control and returns
    /// false; a control that cannot take the focus fails after the message was shown.
    bool fnMandatoryFldAvailable(HostObject& cntrl, const std::string& strMessage,
                                 const std::string& strTitle = {});

    // ---- Numeric entry filter ----

    /// Key-press filter for a text box holding a decimal number of at most intNoLength digits,
    /// intPrecision of them after the point. Sets keyascii to 0 to refuse the key. A key other
    /// than Enter first empties a text that is wholly selected.
    void TextValidateNum(HostObject& txtcontrol, int16_t& keyascii, int16_t intNoLength,
                         int16_t intPrecision = 0);

    // ---- Grid duplicate rows and user rights ----

    /// The later row of the first pair of data rows (visiting (1,2), (1,3), ..., (2,3), ...)
    /// whose cells in the listed columns are equal once trimmed of spaces (case counts), or 0.
    /// columns must be one-dimensional with lower bound 0: once a pair is compared, any other
    /// array fails with ErrorInfo 9 (one never given elements fails at once).
    int32_t fnGridDuplicateRow(HostObject& mfgGrd, const VariantArray& columns);
    /// Whether strAction occurs in strRights (case-sensitive); never for an empty strRights.
    bool fnUserRightOk(const std::string& strAction, const std::string& strRights);

    // ---- Host run time ----

    /// The host run time this object uses: the one handed to set_runtime, or else the process
    /// default (current_host_runtime()) as it is when each call starts.
    std::shared_ptr<HostRuntime> runtime() const {
        return runtime_ ? runtime_ : current_host_runtime();
    }
    /// Hands the object its own run time (a window, a session); nullptr goes back to the
    /// process default.
    void set_runtime(std::shared_ptr<HostRuntime> runtime) { runtime_ = std::move(runtime); }

  private:
    std::string strMatchText;
    std::shared_ptr<HostRuntime> runtime_;
};

}  // namespace ortiva
