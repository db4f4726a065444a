#pragma once

// The Qt adapters' member dispatch: the shared helpers, the conversions between UTF-8 and
// QString, and the base class every adapter derives from.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "seams/common/member_dispatch.hpp"

namespace ortiva::qt::detail {

using namespace ortiva::member_dispatch;

/// Null fails with 94, objects and errors with 13.
QString qtext(const Variant& v);
/// As qtext, the missing marker meaning "".
QString optional_qtext(const Variant& v);
/// A key argument: left out, Empty or "" means no key.
QString key_value(const Variant& v);

inline QString to_q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
inline Variant from_q(const QString& s) {
    return Variant(s.toStdString());
}

/// The base of every adapter: get, let and call meet in one dispatch function.
class Dispatched : public HostObject {
  public:
    Variant get(std::string_view member, const Args& index) final {
        return dispatch(Access::get, member, index, nullptr);
    }
    void let(std::string_view member, const Variant& value, const Args& index) final {
        dispatch(Access::let, member, index, &value);
    }
    Variant call(std::string_view member, const Args& args) final {
        return dispatch(Access::call, member, args, nullptr);
    }

  protected:
    /// value is the assigned value for a let, nullptr otherwise.
    virtual Variant dispatch(Access access, std::string_view member, const Args& args,
                             const Variant* value) = 0;
};

}  // namespace ortiva::qt::detail
