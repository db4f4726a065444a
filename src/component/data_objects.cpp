#include "component/data_objects.hpp"

#include <utility>

#include "ortiva/error_info.hpp"
#include "seams/common/member_dispatch.hpp"

namespace ortiva::component {

namespace {

using member_dispatch::same_name;

class RecordsetObject final : public HostObject {
  public:
    explicit RecordsetObject(std::shared_ptr<Recordset> rs) : rs_(std::move(rs)) {}

    std::string type_name() const override { return "Recordset"; }

    Variant get(std::string_view member, const Args& index) override {
        if (same_name(member, "Fields")) {
            if (index.size() != 1) raise(err::wrong_argument_count);
            return rs_->Fields().Item(index[0]).Value();
        }
        if (!index.empty()) raise(err::wrong_argument_count);
        if (same_name(member, "EOF")) return Variant(rs_->Eof());
        if (same_name(member, "RecordCount")) return Variant(rs_->RecordCount());
        if (same_name(member, "State")) return Variant(rs_->State());
        if (same_name(member, "FieldCount")) return Variant(rs_->Fields().Count());
        raise(err::no_such_member);
    }

    void let(std::string_view, const Variant&, const Args&) override { raise(err::no_such_member); }

    Variant call(std::string_view member, const Args& args) override {
        if (same_name(member, "Fields")) return get(member, args);
        if (!args.empty()) raise(err::wrong_argument_count);
        if (same_name(member, "MoveFirst")) {
            rs_->MoveFirst();
        } else if (same_name(member, "MoveNext")) {
            rs_->MoveNext();
        } else if (same_name(member, "Close")) {
            rs_->Close();
        } else {
            return get(member, args);
        }
        return {};
    }

  private:
    std::shared_ptr<Recordset> rs_;
};

}  // namespace

HostObjectPtr wrap_recordset(std::shared_ptr<Recordset> recordset) {
    if (!recordset) return nullptr;
    return std::make_shared<RecordsetObject>(std::move(recordset));
}

std::string_view kind_name(VariantKind kind) noexcept {
    switch (kind) {
        case VariantKind::Empty:
            return "Empty";
        case VariantKind::Null:
            return "Null";
        case VariantKind::Integer:
            return "Integer";
        case VariantKind::Long:
            return "Long";
        case VariantKind::Single:
            return "Single";
        case VariantKind::Double:
            return "Double";
        case VariantKind::Date:
            return "Date";
        case VariantKind::String:
            return "String";
        case VariantKind::Object:
            return "Object";
        case VariantKind::Error:
            return "Error";
        case VariantKind::Boolean:
            return "Boolean";
        case VariantKind::Array:
            return "Array";
    }
    return "Variant";
}

}  // namespace ortiva::component
