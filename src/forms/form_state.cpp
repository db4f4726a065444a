#include <string>

#include "forms/support.hpp"
#include "ortiva/clsCommonGen.hpp"
#include "ortiva/host_object.hpp"
#include "ortiva/host_runtime.hpp"
#include "ortiva/text.hpp"

namespace ortiva {

namespace {

int16_t last_control(HostObject& form) {
    return forms::last_index(get_object(form, "Controls")->get("Count"));
}

HostObjectPtr control_at(HostObject& form, int16_t i) {
    return get_object(form, "Controls", {Variant(i)});
}

}  // namespace

void clsCommonGen::FormControlsEnabled(HostObject& frmFormName, bool blnEnableControls) {
    const int16_t last = last_control(frmFormName);
    for (int16_t i = 0; i <= last; i = forms::next(i)) {
        control_at(frmFormName, i)->let("Enabled", Variant(blnEnableControls));
    }
}

void clsCommonGen::DisableAllForms(const std::string& strExceptForm) {
    for (const HostObjectPtr& form : runtime()->Forms()) {
        const bool not_excepted = forms::text_of(form->get("Name")) != strExceptForm;
        const bool not_main = forms::text_of(form->get("Name")) != "frmMain";
        if (not_excepted && not_main) form->let("Enabled", Variant(false));
    }
}

void clsCommonGen::EnableAllForms() {
    for (const HostObjectPtr& form : runtime()->Forms())
        form->let("Enabled", Variant(true));
}

void clsCommonGen::ClearControls(HostObject& frmFormName) {
    const int16_t last = last_control(frmFormName);
    const std::shared_ptr<HostRuntime> rt = runtime();
    for (int16_t i = 0; i <= last; i = forms::next(i)) {
        const HostObjectPtr control = control_at(frmFormName, i);
        const std::string kind = rt->TypeName(*control);
        if (kind == "TextBox") {
            control->let("Text", Variant(std::string()));
        } else if (kind == "ComboBox") {
            control->let("ListIndex", Variant(int16_t{-1}));
        } else if (kind == "MSFlexGrid") {
            // A grid keeps its header row and one empty data row.
            control->call("Clear");
            control->let("Rows", Variant(int16_t{2}));
        } else if (kind == "CheckBox") {
            control->let("Value", Variant(int32_t{0}));
        }
    }
}

bool clsCommonGen::fnMandatoryFldAvailable(HostObject& cntrl, const std::string& strMessage,
                                           const std::string& strTitle) {
    if (!text::trim(forms::text_of(cntrl.get("Text"))).empty()) return true;
    runtime()->MsgBox(strMessage, vbInformation, Variant(strTitle));
    cntrl.call("SetFocus");
    return false;
}

}  // namespace ortiva
