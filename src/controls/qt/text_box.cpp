#include <QLineEdit>

#include "controls/qt/control.hpp"
#include "controls/qt/edit_members.hpp"
#include "controls/qt/key_filter.hpp"
#include "controls/qt/kinds.hpp"

namespace ortiva::qt {

namespace {

// "TextBox" over a QLineEdit; "Text" is its default property.
class TextBox : public Control, public KeyTarget {
  public:
    explicit TextBox(QLineEdit* edit) : Control("TextBox", edit, true), edit_(edit) {}

  protected:
    Variant dispatch(detail::Access access, const detail::MemberRef& member, const Args& args,
                     const Variant* value) override {
        widget();
        detail::LineEditArea area(*edit_);
        if (auto result = controls::dispatch_edit(area, access, member, args, value))
            return std::move(*result);
        return dispatch_common(access, member, args, value);
    }

  private:
    QPointer<QLineEdit> edit_;
};

}  // namespace

HostObjectPtr make_text_box(QLineEdit* edit) {
    return std::make_shared<TextBox>(edit);
}

}  // namespace ortiva::qt
